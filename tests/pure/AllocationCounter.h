#pragma once
// Counts calls of the global allocation functions in this test program (the program
// replaces operator new and delete in AllocationCounter.cpp), so a test can prove
// that a piece of code allocates nothing.
#include <cstddef>

namespace qx::testing {

// Allocations made through operator new (every form but the aligned ones) so far.
size_t AllocationCount();

}  // namespace qx::testing
