#!/usr/bin/env bash
# Runs a Windows program under Wine in the private test prefix given as $1.
# The prefix is created on first use: null graphics driver, no Mono/Gecko prompts.
set -euo pipefail
prefix=$1; shift
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.qx-ready" ]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.qx-ready"
  fi
) 9>"$prefix.lock"
exec wine "$@"
