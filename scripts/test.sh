#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test:
#  - native: the pure libraries under AddressSanitizer and UndefinedBehaviorSanitizer;
#  - Windows: the module and its tests, run under Wine in a private prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
bash "$root/scripts/deps.sh"

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON >/dev/null
cmake --build "$build/native"
(cd "$build/native" && ctest --output-on-failure)

cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win"
(cd "$build/win" && ctest --output-on-failure -j2)
