#!/usr/bin/env bash
# Installs whatever the build and tests need and is not yet on this Debian 12 machine,
# then checks every program that the scripts and the build call. A missing program stops
# here with one line naming it and the package that provides it, instead of a configure
# error later on.
#   QX_NEED_CLANG=1  clang and libFuzzer are required too (the test command's fuzz step)
set -euo pipefail
# wine registers the plain names (wine, wineserver, widl, regsvr32) that wine64 and
# wine64-tools install only under /usr/lib/wine and as *-stable.
pkgs=(cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 wine64-tools
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

# program:package, for every program the scripts and CMake run.
programs=(cmake:cmake ninja:ninja-build g++:g++
          x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
          x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
          x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
          widl:wine wine:wine wineserver:wine wineboot:wine regsvr32:wine
          Xvfb:xvfb convert:imagemagick python3:python3)
[ "${QX_NEED_CLANG:-0}" = 1 ] && programs+=(clang:clang clang++:clang)
for entry in "${programs[@]}"; do
  program=${entry%%:*}
  command -v "$program" >/dev/null ||
    { echo "missing program: $program (Debian package ${entry#*:})" >&2; exit 1; }
done
if [ "${QX_NEED_CLANG:-0}" = 1 ] &&
   ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
     clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o /dev/null 2>/dev/null; then
  echo "missing program: clang++ with libFuzzer and the sanitizers (Debian package libclang-rt-14-dev)" >&2
  exit 1
fi
