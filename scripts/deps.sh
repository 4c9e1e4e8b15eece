#!/usr/bin/env bash
# Installs whatever the build and tests need and is not yet on this Debian machine.
set -euo pipefail
pkgs=(cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix wine64 wine64-tools
      googletest libgtest-dev libbenchmark-dev libsamplerate0-dev libspeexdsp-dev libsoxr-dev
      python3 xvfb xauth imagemagick fonts-wine clang libclang-rt-14-dev gcovr)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
