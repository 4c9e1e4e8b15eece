#pragma once
// A property a fuzz target checks on every input: a failure aborts, so that the fuzzer
// reports the input that broke it.
#include <cstdlib>

inline void Check(bool condition) {
    if (!condition) std::abort();
}
