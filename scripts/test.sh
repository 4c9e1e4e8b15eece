#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test:
#  - native: the pure libraries under AddressSanitizer and UndefinedBehaviorSanitizer;
#  - Windows: the module and its tests, run under Wine in a private prefix;
#  - fuzz: libFuzzer targets for a bounded number of inputs and time each
#    (QX_FUZZ_RUNS scales the inputs, QX_FUZZ_SECONDS caps the time, default 60); clang
#    is required.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
QX_NEED_CLANG=1 bash "$root/scripts/deps.sh"
# The size of the test code against the rest, printed for every run; above 0.40 fails.
bash "$root/scripts/test-ratio.sh" 0.40

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON >/dev/null
cmake --build "$build/native"
(cd "$build/native" && ctest --output-on-failure)

cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win"
(cd "$build/win" && ctest --output-on-failure -j2)

# Fuzz targets run from their seed corpus (fuzz/corpus/<target>) into a working corpus in
# the build tree; a crash or any sanitizer report fails the run and leaves its input in
# $build/fuzz. From a fresh clone, a fixed seed and a fixed number of inputs make the run
# the same sequence every time, so it passes or fails alike on every machine and a failure
# reproduces with the same command; the time cap only cuts it short on a slow machine.
# Each entry is target:inputs:minimum. A target that ran fewer inputs than its minimum
# fails the step, so one that stalls or hardly runs cannot pass. The minimums are a
# twentieth of the inputs, so that only such a target fails, not a busy machine: on the
# shared 2-core host under a load average of 36 the script target, the slowest, got 9 s
# of processor time in its 60 s and still ran a tenth of its inputs.
fuzz_targets=(RegScriptFuzz:150000:7500 FormatTextFuzz:1500000:75000 WavFileFuzz:200000:10000
              StoreFileFuzz:80000:4000)
fuzz_scale=${QX_FUZZ_RUNS:-1}
fuzz_seconds=${QX_FUZZ_SECONDS:-60}
command -v clang++ >/dev/null || { echo "the fuzz step needs clang++ with libFuzzer (scripts/deps.sh)"; exit 1; }
fuzz_flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$fuzz_flags" >/dev/null
for entry in "${fuzz_targets[@]}"; do
  IFS=: read -r target planned minimum <<<"$entry"
  runs=$((planned * fuzz_scale))
  cmake --build "$build/fuzz" --target "$target"
  corpus="$build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
  echo "fuzzing $target: $runs inputs, at most ${fuzz_seconds}s"
  log="$build/fuzz/$target.log"
  if ! "$build/fuzz/fuzz/$target" -seed=1 -runs="$runs" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
         -artifact_prefix="$build/fuzz/$target-" "$corpus" >"$log" 2>&1; then
    grep -E '^(==|SUMMARY|.*runtime error)' "$log" | head -20
    echo "$target failed (log: $log)"
    exit 1
  fi
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${executed:-no} inputs run (minimum $minimum)"
  if [ -z "$executed" ] || [ "$executed" -lt "$minimum" ]; then
    echo "$target failed: fewer inputs than its minimum"
    exit 1
  fi
done
