#include "tests/mic/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
constexpr size_t kMaxSizes = 256;
std::atomic<DWORD> g_thread{0};
std::atomic<size_t> g_count{0};
size_t g_sizes[kMaxSizes];

void Note(size_t size) {
    if (g_thread.load() == 0 || g_thread.load() != GetCurrentThreadId()) return;
    const size_t i = g_count++;
    if (i < kMaxSizes) g_sizes[i] = size;
}

void* Allocate(size_t size) {
    Note(size);
    return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace qx::test {

AllocationCounter::AllocationCounter() {
    g_count = 0;
    g_thread = GetCurrentThreadId();
}

AllocationCounter::~AllocationCounter() { g_thread = 0; }

size_t AllocationCounter::Count() const { return g_count.load(); }

std::vector<size_t> AllocationCounter::Sizes() const {
    const size_t n = g_count.load() < kMaxSizes ? g_count.load() : kMaxSizes;
    const DWORD thread = g_thread.exchange(0);  // the copy below must not count itself
    std::vector<size_t> sizes(g_sizes, g_sizes + n);
    g_thread = thread;
    return sizes;
}

}  // namespace qx::test
