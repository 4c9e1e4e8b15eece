#!/usr/bin/env bash
# Shows the effects page host (qxpanel) on a virtual X display with Wine's X11 driver and
# saves a picture of its window.
#   scripts/panel-screenshot.sh <out.png> [qxpanel options...]
# It uses the Wine prefix of the dialog pictures (build/win/wineprefix-x11), made once
# with the X11 graphics driver; the test prefix keeps its null driver.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
out=$(realpath -m "$1"); shift
panel=$build/win/host/qxpanel/qxpanel.exe
[ -f "$panel" ] || { echo "build qxpanel first: cmake --build $build/win --target qxpanel" >&2; exit 2; }

source "$root/scripts/wine-prefix.sh"
qx_wine_prefix "$build/win/wineprefix-x11" x11

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
