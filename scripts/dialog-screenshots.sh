#!/usr/bin/env bash
# Saves a picture of every settings dialog (or of the listed templates) into
# docs/screenshots/, one PNG per dialog named after its template and title:
#   scripts/dialog-screenshots.sh [template number...]      e.g. 106 122
# The dialogs run on a virtual X display (Xvfb) with Wine's X11 driver, in a Wine prefix
# of their own (build/win/wineprefix-x11); the test prefix keeps its null driver.
# Every dialog in the dialog table is shown, so a newly added dialog needs no change here.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
out=$root/docs/screenshots
bash "$root/scripts/deps.sh"

if [ ! -f "$build/win/build.ninja" ]; then
  cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build/win" --target qx_dialog_shots
shots=$build/win/host/dialogshots/qx_dialog_shots.exe

source "$root/scripts/wine-prefix.sh"
qx_wine_prefix "$build/win/wineprefix-x11" x11

# A display of our own; no window manager, so Wine draws the captions and frames itself.
display=
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
bitmaps=$(mktemp -d)
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$bitmaps"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

status=0
wine "$shots" "$(winepath -w "$bitmaps")" "$@" || status=$?
mkdir -p "$out"
for bmp in "$bitmaps"/*.bmp; do
  [ -e "$bmp" ] || continue
  png=$out/$(basename "${bmp%.bmp}").png
  convert "$bmp" -strip "$png"
  echo "saved ${png#$root/}"
done
exit $status
