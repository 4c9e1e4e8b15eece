#include "tests/support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
enum Mode : int { Off, AllThreads, CallingThread };

constexpr size_t kMaxSizes = 256;
std::atomic<int> g_mode{Off};
std::atomic<size_t> g_count{0};
size_t g_sizes[kMaxSizes];
// Set on the thread that opened a calling-thread counter. A plain bool: reading it
// allocates nothing on any platform this builds for.
thread_local bool t_counted = false;

void Note(size_t size) {
    const int mode = g_mode.load(std::memory_order_relaxed);
    if (mode == Off || (mode == CallingThread && !t_counted)) return;
    const size_t i = g_count.fetch_add(1, std::memory_order_relaxed);
    if (i < kMaxSizes) g_sizes[i] = size;
}

void* Allocate(size_t size) noexcept {
    Note(size);
    return std::malloc(size ? size : 1);
}
}  // namespace

// Every non-aligned form is replaced, so that memory from these always goes back
// through std::free.
void* operator new(size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace qx::test {

AllocationCounter::AllocationCounter(Threads threads) {
    t_counted = threads == Threads::Calling;
    g_count = 0;
    g_mode = threads == Threads::Calling ? CallingThread : AllThreads;
}

AllocationCounter::~AllocationCounter() {
    g_mode = Off;
    t_counted = false;
}

size_t AllocationCounter::Count() const { return g_count.load(); }

void AllocationCounter::Reset() { g_count = 0; }

std::vector<size_t> AllocationCounter::Sizes() const {
    const int mode = g_mode.exchange(Off);  // the copy below must not count itself
    const size_t n = g_count.load() < kMaxSizes ? g_count.load() : kMaxSizes;
    std::vector<size_t> sizes(g_sizes, g_sizes + n);
    g_mode = mode;
    return sizes;
}

}  // namespace qx::test
