# Sourced by the scripts that run Windows programs under Wine.
#   qx_wine_prefix PREFIX DRIVER
# points Wine at the private 64-bit prefix PREFIX (no Mono/Gecko prompts, no debug
# output) and makes it on first use with the graphics driver DRIVER: null for the tests,
# which need no display, x11 for pictures on a virtual display. An x11 prefix also gets
# Wine's own fonts ("MS Shell Dlg" is Tahoma, the caption buttons are Marlett) in its font
# folder, where Wine finds them; without them text falls back to a wider font and
# pictures no longer show what the dialog templates lay out.
qx_wine_prefix() {
  local prefix=$1 driver=$2
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.qx-ready" ]; then
      rm -rf "$prefix"
      wineboot -i >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$driver" /f >/dev/null 2>&1
      wineserver -w
      touch "$prefix/.qx-ready"
    fi
    if [ "$driver" = x11 ] && [ ! -f "$prefix/drive_c/windows/Fonts/tahoma.ttf" ]; then
      cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
    fi
  ) 9>"$prefix.lock"
}
