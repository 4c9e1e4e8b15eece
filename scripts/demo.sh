#!/usr/bin/env bash
# Installs what is missing, builds the module, the sample effect components and the
# processor host, registers both DLLs in a private Wine prefix of the demo's own
# (build/win/wineprefix-demo) and runs the main job: the synthesised test signal at
# 96000 Hz on 6 channels through the global-effects processor with Equalizer and
# Environment on. The output WAV and a plot of the input
# and output spectra go to build/demo/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win" --target QXAPOMain QXSampleFX qxhost

# A prefix of its own: the tests expect none of these classes registered in theirs.
prefix=$build/win/wineprefix-demo
out=$build/demo
mkdir -p "$out"
wine_path() { printf 'Z:%s' "${1//\//\\}"; }
run() { "$root/scripts/wine-run.sh" "$prefix" "$@"; }

for dll in "$build/win/server/dll/QXAPOMain.dll" "$build/win/components/QXSampleFX.dll"; do
  run regsvr32 /s "$(wine_path "$dll")"
  echo "registered $(basename "$dll")"
done

run "$build/win/host/qxhost.exe" --rate 96000 --channels 6 --seconds 4 \
    --enable Equalizer --enable Environment \
    --set Equalizer.band1=6 --set Equalizer.band2=4 --set Equalizer.band9=-6 \
    --set "Environment.preset=Concert hall" --set Environment.roomSize=1 \
    --out "$(wine_path "$out/demo-96k-6ch.wav")" --png "$(wine_path "$out/demo-spectrum.png")"
echo "output: $out/demo-96k-6ch.wav and $out/demo-spectrum.png"
