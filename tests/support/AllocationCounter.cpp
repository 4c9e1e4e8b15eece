#include "tests/support/AllocationCounter.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "host/InProcessServer.h"
#else
#include <pthread.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define QX_COUNT_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_COUNT_WITH_ASAN 1
#endif
#endif

#if !defined(_WIN32) && defined(QX_COUNT_WITH_ASAN)
// The sanitizer runtime's allocator hooks (not declared by every compiler's headers).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
#endif

namespace {
enum Mode : int { Off, AllThreads, CallingThread };

constexpr size_t kMaxSizes = 256;
std::atomic<int> g_mode{Off};
std::atomic<size_t> g_count{0};
std::atomic<uintptr_t> g_thread{0};
size_t g_sizes[kMaxSizes];

// No thread_local here: with emulated TLS its first use on a thread allocates, which
// would come straight back into the counting stubs.
uintptr_t ThisThread() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return uintptr_t(pthread_self());
#endif
}

void Note(size_t size) {
    const int mode = g_mode.load(std::memory_order_relaxed);
    if (mode == Off || (mode == CallingThread && g_thread.load(std::memory_order_relaxed) != ThisThread())) return;
    const size_t i = g_count.fetch_add(1, std::memory_order_relaxed);
    if (i < kMaxSizes) g_sizes[i] = size;
}

#ifdef _WIN32
// ---- Import address table stubs ---------------------------------------------------------

// Modules can import the same name from different DLLs (one CRT or another), so every
// patched module gets stubs of its own that call that module's original.
constexpr size_t kMaxModules = 6;
constexpr size_t kFnCount = 13;
void* g_original[kMaxModules][kFnCount];

// What a counted call notes: its size argument, or 0 for a pointer that is freed.
template <class T>
void NoteArgument(T value) {
    if constexpr (std::is_pointer_v<T>) {
        if (value) Note(0);
    } else {
        Note(size_t(value));
    }
}

// The stubs of function F (its row below), whose argument A is the size; kTimesNext (for
// calloc) takes the first two arguments' product. On x64 every calling convention is the same.
constexpr size_t kTimesNext = 9;
template <size_t F, size_t A, class Signature>
struct Hook;
template <size_t F, size_t A, class R, class... Args>
struct Hook<F, A, R(Args...)> {
    template <size_t M>
    static R Stub(Args... args) {
        const auto list = std::make_tuple(args...);
        if constexpr (A == kTimesNext) Note(size_t(std::get<0>(list)) * size_t(std::get<1>(list)));
        else NoteArgument(std::get<A>(list));
        return reinterpret_cast<R (*)(Args...)>(g_original[M][F])(args...);
    }
    template <size_t... M>
    static void* In(size_t module, std::index_sequence<M...>) {
        void* const stubs[] = {reinterpret_cast<void*>(&Stub<M>)...};
        return stubs[module];
    }
    static void* For(size_t module) { return In(module, std::make_index_sequence<kMaxModules>()); }
};

// Every counted function: its name and the stub for a module.
struct Counted {
    const char* name;
    void* (*stub)(size_t module);
};
const Counted kCounted[kFnCount] = {
    {"malloc", Hook<0, 0, void*(size_t)>::For},
    {"calloc", Hook<1, kTimesNext, void*(size_t, size_t)>::For},
    {"realloc", Hook<2, 1, void*(void*, size_t)>::For},
    {"free", Hook<3, 0, void(void*)>::For},
    {"_aligned_malloc", Hook<4, 0, void*(size_t, size_t)>::For},
    {"_aligned_realloc", Hook<5, 1, void*(void*, size_t, size_t)>::For},
    {"_aligned_free", Hook<6, 0, void(void*)>::For},
    {"HeapAlloc", Hook<7, 2, LPVOID(HANDLE, DWORD, SIZE_T)>::For},
    {"HeapReAlloc", Hook<8, 3, LPVOID(HANDLE, DWORD, LPVOID, SIZE_T)>::For},
    {"HeapFree", Hook<9, 2, BOOL(HANDLE, DWORD, LPVOID)>::For},
    {"CoTaskMemAlloc", Hook<10, 0, LPVOID(SIZE_T)>::For},
    {"CoTaskMemRealloc", Hook<11, 1, LPVOID(LPVOID, SIZE_T)>::For},
    {"CoTaskMemFree", Hook<12, 0, void(LPVOID)>::For},
};

// ---- Patching ---------------------------------------------------------------------------

struct Patch {
    void** slot;
    void* original;
};
// Filled while the counter opens, before counting starts.
Patch g_patches[kMaxModules * kFnCount * 2];
size_t g_patchCount = 0;
size_t g_moduleCount = 0;

void Write(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) return;
    InterlockedExchangePointer(slot, value);
    VirtualProtect(slot, sizeof(void*), protection, &protection);
}

int FindFn(const char* name) {
    for (size_t f = 0; f < kFnCount; ++f)
        if (std::strcmp(kCounted[f].name, name) == 0) return int(f);
    return -1;
}

// Redirects the module's imports of the counted functions, by name, from any DLL.
void PatchModule(HMODULE module, size_t m) {
    auto* const base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    bool seen[kFnCount] = {};
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (!d->OriginalFirstThunk) continue;  // no name table to go by
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const int f = FindFn(reinterpret_cast<const char*>(byName->Name));
            if (f < 0 || g_patchCount == sizeof g_patches / sizeof g_patches[0]) continue;
            void** slot = reinterpret_cast<void**>(&slots->u1.Function);
            // A second import of the same name from another DLL keeps its own target.
            if (seen[f] && g_original[m][f] != *slot) continue;
            seen[f] = true;
            g_original[m][f] = *slot;
            g_patches[g_patchCount++] = {slot, *slot};
            Write(slot, kCounted[f].stub(m));
        }
    }
}

// The folder part of a path, with its separator.
std::wstring FolderOf(const wchar_t* path) {
    const wchar_t* end = path + std::wcslen(path);
    while (end > path && end[-1] != L'\\' && end[-1] != L'/') --end;
    return std::wstring(path, end);
}

// The test program and every module loaded from its folder.
void PatchOurModules() {
    const std::wstring folder = qx::host::ProgramFolder();
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && g_moduleCount < kMaxModules;
         more = Module32NextW(snapshot, &entry)) {
        if (_wcsicmp(FolderOf(entry.szExePath).c_str(), folder.c_str()) == 0)
            PatchModule(entry.hModule, g_moduleCount++);
    }
    CloseHandle(snapshot);
}

void UnpatchAll() {
    while (g_patchCount > 0) {
        const Patch& p = g_patches[--g_patchCount];
        Write(p.slot, p.original);
    }
    // The originals stay: a thread may still be inside a stub.
    g_moduleCount = 0;
}

#else
void PatchOurModules() {}
void UnpatchAll() {}
constexpr size_t g_moduleCount = 0;

#ifdef QX_COUNT_WITH_ASAN
// The sanitizer's allocator serves malloc, calloc, realloc, free and every form of
// operator new and delete; its hooks see all of them.
void OnAllocate(const volatile void*, size_t size) { Note(size); }
void OnFree(const volatile void* p) {
    if (p) Note(0);
}
[[maybe_unused]] const int g_hooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnFree);
#else
void* Allocate(size_t size, size_t alignment = 0) noexcept {
    Note(size);
    if (alignment <= alignof(std::max_align_t)) return std::malloc(size ? size : 1);
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}
void Release(void* p) noexcept {
    if (p) Note(0);
    std::free(p);
}
#endif
#endif
}  // namespace

#if !defined(_WIN32) && !defined(QX_COUNT_WITH_ASAN)
// Without the sanitizer, the plain and the aligned operator new and delete are replaced;
// the array, nothrow and sized forms call these by the language's default behaviour.
// Memory from them always goes back through std::free.
void* operator new(size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, std::align_val_t a) {
    if (void* p = Allocate(size, size_t(a))) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
#endif

namespace qx::test {

AllocationCounter::AllocationCounter(Threads threads) {
    PatchOurModules();
    g_thread = ThisThread();
    g_count = 0;
    g_mode = threads == Threads::Calling ? CallingThread : AllThreads;
}

AllocationCounter::~AllocationCounter() {
    g_mode = Off;
    UnpatchAll();
}

size_t AllocationCounter::Count() const { return g_count.load(); }

std::vector<size_t> AllocationCounter::Sizes() const {
    const int mode = g_mode.exchange(Off);  // the copy below must not count itself
    const size_t n = g_count.load() < kMaxSizes ? g_count.load() : kMaxSizes;
    std::vector<size_t> sizes(g_sizes, g_sizes + n);
    g_mode = mode;
    return sizes;
}

size_t AllocationCounter::PatchedModules() const { return g_moduleCount; }

}  // namespace qx::test
