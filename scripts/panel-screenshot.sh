#!/usr/bin/env bash
# Shows the effects page host (qxpanel) on a virtual X display with Wine's X11 driver and
# saves a picture of its window.
#   scripts/panel-screenshot.sh <out.png> [qxpanel options...]
# It uses a Wine prefix of its own (build/win/wineprefix-x11), made once from the test
# prefix with the X11 graphics driver switched on; the test prefix keeps its null driver.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
out=$(realpath -m "$1"); shift
panel=$build/win/host/qxpanel/qxpanel.exe
[ -f "$panel" ] || { echo "build qxpanel first: cmake --build $build/win --target qxpanel" >&2; exit 2; }

prefix=$build/win/wineprefix-x11
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.qx-ready" ]; then
  rm -rf "$prefix"
  if [ -f "$build/win/wineprefix/.qx-ready" ]; then
    cp -a "$build/win/wineprefix" "$prefix"
  else
    wineboot -i >/dev/null 2>&1 || true
  fi
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.qx-ready"
fi

display=:$((70 + RANDOM % 20))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

wine "$panel" "$@" --close-after 60000 &
panel_pid=$!
# Wait for the page's window (its title ends in "Sound Effects"), then for it to settle.
window=
for _ in $(seq 1 120); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/Sound Effects"/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || { echo "the page did not appear" >&2; exit 1; }
sleep 3
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"
kill "$panel_pid" 2>/dev/null || true
wineserver -k 2>/dev/null || true
