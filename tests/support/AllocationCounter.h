#pragma once
// Counts every heap call a piece of code makes while a counter is open, so a test can
// prove that the audio path allocates and frees nothing.
//
// Windows: opening a counter patches the import address tables of the test program and
// of every other module loaded from the program's folder (the sample components DLL,
// which carries its own C++ runtime) so that malloc, calloc, realloc, free, the aligned
// CRT forms, HeapAlloc, HeapReAlloc, HeapFree and the CoTaskMem functions go through
// counting stubs, whichever DLL they are imported from; every form of operator new ends
// in one of them. Closing the counter restores the tables. Modules loaded while a counter
// is open are not seen.
//
// Native build: under AddressSanitizer the sanitizer's allocator hooks count every
// malloc-family call and every operator new and delete; without it only operator new and
// delete (every form) are counted. No Windows headers here: the pure tests use it as well.
#include <cstddef>
#include <vector>

namespace qx::test {

class AllocationCounter {
public:
    // Which calls count: those of every thread, or only those of the thread that opened
    // the counter (when other threads of the code under test allocate meanwhile).
    enum class Threads { All, Calling };

    // Starts counting from zero. One counter may be open at a time.
    explicit AllocationCounter(Threads threads = Threads::All);
    ~AllocationCounter();  // stops counting
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Allocations, reallocations and frees counted so far.
    size_t Count() const;
    // The sizes asked for by the first calls counted (up to a fixed number; 0 for a free).
    std::vector<size_t> Sizes() const;
    // How many modules' import tables the counter patched (always 0 in the native build).
    size_t PatchedModules() const;
};

}  // namespace qx::test
