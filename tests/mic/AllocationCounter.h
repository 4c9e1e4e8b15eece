#pragma once
// Counts heap allocations made through operator new on one thread while a scope is open.
// The test program replaces the global operator new, and the module is linked into the
// program, so the module's own allocations are counted too.
#include <windows.h>

#include <cstddef>
#include <vector>

namespace qx::test {

class AllocationCounter {
public:
    AllocationCounter();   // starts counting allocations of the calling thread
    ~AllocationCounter();  // stops counting
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    size_t Count() const;
    // The sizes of the first allocations counted (up to a fixed number).
    std::vector<size_t> Sizes() const;
};

}  // namespace qx::test
