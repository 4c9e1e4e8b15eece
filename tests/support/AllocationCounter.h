#pragma once
// Counts heap allocations made through operator new while a counter is open, so a test
// can prove that a piece of code allocates nothing. The test program replaces the global
// operator new and delete (AllocationCounter.cpp); the module is linked into the program
// statically, so its own allocations are counted too. No Windows headers: the natively
// built pure tests use it as well.
#include <cstddef>
#include <vector>

namespace qx::test {

class AllocationCounter {
public:
    // Which allocations count: those of every thread, or only those of the thread that
    // opened the counter (when other threads of the code under test allocate meanwhile).
    enum class Threads { All, Calling };

    // Starts counting from zero. One counter may be open at a time.
    explicit AllocationCounter(Threads threads = Threads::All);
    ~AllocationCounter();  // stops counting
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    size_t Count() const;
    // Starts again from zero, still counting.
    void Reset();
    // The sizes of the first allocations counted (up to a fixed number).
    std::vector<size_t> Sizes() const;
};

}  // namespace qx::test
