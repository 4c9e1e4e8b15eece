#!/usr/bin/env bash
# Line and branch coverage of the product code by the tests, with gcovr, run by hand:
#   bash scripts/coverage.sh [native|win [test program...]|both]     (default: native)
# native: the pure libraries built natively with --coverage (build/coverage-native) and
#         the native test program run;
# win:    the module and its tests built with mingw-w64 and --coverage
#         (build/coverage-win) and run under Wine; the counts are written by the test
#         programs on exit, through Wine's view of the build tree (the object files name
#         their count files by absolute path, which Wine resolves on the drive the
#         programs run from, Z:, the host's root). Extra arguments name the test
#         programs to build and run (e.g. qx_tests_frame); by default all of them.
# Counted: common/ settings/ resample/ frame/ processors/ server/ controlpanel/ (tests, fuzz
# harnesses, benchmarks, host tools and sample components are left out). Summaries go
# to the terminal and to build/coverage-<tree>/coverage.txt.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QX_BUILD_DIR:-$root/build}
which=${1:-native}
command -v gcovr >/dev/null || { echo "gcovr is missing: bash scripts/deps.sh" >&2; exit 1; }

product_filters=()
for dir in common settings resample frame processors server controlpanel; do
  product_filters+=(--filter "$root/$dir/")
done

# A Wine prefix in the tree has drive Z: as a link to the host's root; gcovr must not
# walk into it.
report() {  # tree gcov-executable
  local tree=$1 gcov=$2
  (cd "$tree" && gcovr --root "$root" "${product_filters[@]}" --gcov-executable "$gcov" \
     --exclude-unreachable-branches --exclude-throw-branches --print-summary \
     --exclude-directories '.*wineprefix.*' -o "$tree/coverage.txt" "$tree" |
     tail -3)
}

native() {
  local tree=$build/coverage-native
  cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" >/dev/null
  cmake --build "$tree" --target qx_native_tests
  find "$tree" -name '*.gcda' -delete
  (cd "$tree" && ctest -R qx_native_tests --output-on-failure)
  echo "native coverage:"
  report "$tree" gcov
}

win() {
  local tree=$build/coverage-win
  cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" >/dev/null
  local programs=("$@")
  if [ ${#programs[@]} -gt 0 ]; then
    cmake --build "$tree" --target "${programs[@]}"
  else
    cmake --build "$tree"
  fi
  find "$tree" -name '*.gcda' -delete
  local only=()
  [ ${#programs[@]} -gt 0 ] && only=(-R "$(IFS='|'; echo "${programs[*]}")")
  (cd "$tree" && ctest "${only[@]}" --output-on-failure) || echo "some tests failed; coverage of what ran follows"
  echo "Windows coverage:"
  report "$tree" x86_64-w64-mingw32-gcov
}

case $which in
  native) native ;;
  win) shift; win "$@" ;;
  both) native; win ;;
  *) echo "usage: $0 [native|win [test program...]|both]" >&2; exit 2 ;;
esac
