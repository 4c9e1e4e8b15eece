#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test:
#  - native: the pure libraries under AddressSanitizer and UndefinedBehaviorSanitizer;
#  - Windows: the module and its tests, run under Wine in a private prefix;
#  - fuzz: libFuzzer targets for a bounded number of inputs and time each
#    (QX_FUZZ_RUNS scales the inputs, QX_FUZZ_SECONDS caps the time, default 60), when
#    clang can build them.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
QX_NEED_CLANG=1 bash "$root/scripts/deps.sh"

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON >/dev/null
cmake --build "$build/native"
(cd "$build/native" && ctest --output-on-failure)

cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win"
(cd "$build/win" && ctest --output-on-failure -j2)

# Fuzz targets run from their seed corpus (fuzz/corpus/<target>) into a working corpus in
# the build tree; a crash fails the run and leaves its input in $build/fuzz.
# From a fresh clone, a fixed seed and a fixed number of inputs make the run the same
# sequence every time, so it passes or fails alike on every machine and a failure
# reproduces with the same command; the time cap only cuts it short on a slow machine.
fuzz_targets=(RegScriptFuzz:150000 FormatTextFuzz:1500000)
fuzz_scale=${QX_FUZZ_RUNS:-1}
fuzz_seconds=${QX_FUZZ_SECONDS:-60}
if command -v clang++ >/dev/null &&
   echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
     clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined >/dev/null
  for entry in "${fuzz_targets[@]}"; do
    target=${entry%%:*}
    runs=$((${entry##*:} * fuzz_scale))
    cmake --build "$build/fuzz" --target "$target"
    corpus="$build/fuzz/corpus/$target"
    mkdir -p "$corpus"
    cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
    echo "fuzzing $target: $runs inputs, at most ${fuzz_seconds}s"
    "$build/fuzz/fuzz/$target" -seed=1 -runs="$runs" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        -artifact_prefix="$build/fuzz/$target-" "$corpus" 2>&1 | grep -E '^(stat::|Done|==|SUMMARY)' ||
      { echo "$target failed"; exit 1; }
  done
else
  echo "clang with libFuzzer not available: fuzz targets skipped"
fi
