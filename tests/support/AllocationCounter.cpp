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
#include <utility>
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

enum Fn : size_t {
    kMalloc, kCalloc, kRealloc, kFree, kAlignedMalloc, kAlignedRealloc, kAlignedFree,
    kHeapAlloc, kHeapReAlloc, kHeapFree, kTaskAlloc, kTaskRealloc, kTaskFree, kFnCount,
};
constexpr const char* kFnNames[kFnCount] = {
    "malloc",    "calloc",      "realloc",  "free",           "_aligned_malloc",  "_aligned_realloc", "_aligned_free",
    "HeapAlloc", "HeapReAlloc", "HeapFree", "CoTaskMemAlloc", "CoTaskMemRealloc", "CoTaskMemFree",
};

// Modules can import the same name from different DLLs (one CRT or another), so every
// patched module gets stubs of its own that call that module's original.
constexpr size_t kMaxModules = 6;
void* g_original[kMaxModules][kFnCount];

template <size_t M, Fn F, class T>
T Original(T) {
    return reinterpret_cast<T>(g_original[M][F]);
}

template <size_t M>
struct Stubs {
    static void* __cdecl Malloc(size_t n) { return Note(n), Original<M, kMalloc>(&Malloc)(n); }
    static void* __cdecl Calloc(size_t n, size_t s) { return Note(n * s), Original<M, kCalloc>(&Calloc)(n, s); }
    static void* __cdecl Realloc(void* p, size_t n) { return Note(n), Original<M, kRealloc>(&Realloc)(p, n); }
    static void __cdecl Free(void* p) {
        if (p) Note(0);
        Original<M, kFree>(&Free)(p);
    }
    static void* __cdecl AlignedMalloc(size_t n, size_t a) {
        return Note(n), Original<M, kAlignedMalloc>(&AlignedMalloc)(n, a);
    }
    static void* __cdecl AlignedRealloc(void* p, size_t n, size_t a) {
        return Note(n), Original<M, kAlignedRealloc>(&AlignedRealloc)(p, n, a);
    }
    static void __cdecl AlignedFree(void* p) {
        if (p) Note(0);
        Original<M, kAlignedFree>(&AlignedFree)(p);
    }
    static LPVOID WINAPI HeapAllocStub(HANDLE h, DWORD f, SIZE_T n) {
        return Note(n), Original<M, kHeapAlloc>(&HeapAllocStub)(h, f, n);
    }
    static LPVOID WINAPI HeapReAllocStub(HANDLE h, DWORD f, LPVOID p, SIZE_T n) {
        return Note(n), Original<M, kHeapReAlloc>(&HeapReAllocStub)(h, f, p, n);
    }
    static BOOL WINAPI HeapFreeStub(HANDLE h, DWORD f, LPVOID p) {
        if (p) Note(0);
        return Original<M, kHeapFree>(&HeapFreeStub)(h, f, p);
    }
    static LPVOID WINAPI TaskAlloc(SIZE_T n) { return Note(n), Original<M, kTaskAlloc>(&TaskAlloc)(n); }
    static LPVOID WINAPI TaskRealloc(LPVOID p, SIZE_T n) {
        return Note(n), Original<M, kTaskRealloc>(&TaskRealloc)(p, n);
    }
    static void WINAPI TaskFree(LPVOID p) {
        if (p) Note(0);
        Original<M, kTaskFree>(&TaskFree)(p);
    }

    // In the order of Fn.
    static void* Stub(Fn f) {
        void* const table[kFnCount] = {
            reinterpret_cast<void*>(&Malloc),        reinterpret_cast<void*>(&Calloc),
            reinterpret_cast<void*>(&Realloc),       reinterpret_cast<void*>(&Free),
            reinterpret_cast<void*>(&AlignedMalloc), reinterpret_cast<void*>(&AlignedRealloc),
            reinterpret_cast<void*>(&AlignedFree),   reinterpret_cast<void*>(&HeapAllocStub),
            reinterpret_cast<void*>(&HeapReAllocStub), reinterpret_cast<void*>(&HeapFreeStub),
            reinterpret_cast<void*>(&TaskAlloc),     reinterpret_cast<void*>(&TaskRealloc),
            reinterpret_cast<void*>(&TaskFree),
        };
        return table[f];
    }
};

template <size_t... M>
void* StubOf(size_t module, Fn f, std::index_sequence<M...>) {
    void* const stubs[] = {Stubs<M>::Stub(f)...};
    return stubs[module];
}

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
        if (std::strcmp(kFnNames[f], name) == 0) return int(f);
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
            Write(slot, StubOf(m, Fn(f), std::make_index_sequence<kMaxModules>()));
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
    wchar_t program[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring folder = FolderOf(program);
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

void AllocationCounter::Reset() { g_count = 0; }

std::vector<size_t> AllocationCounter::Sizes() const {
    const int mode = g_mode.exchange(Off);  // the copy below must not count itself
    const size_t n = g_count.load() < kMaxSizes ? g_count.load() : kMaxSizes;
    std::vector<size_t> sizes(g_sizes, g_sizes + n);
    g_mode = mode;
    return sizes;
}

size_t AllocationCounter::PatchedModules() const { return g_moduleCount; }

}  // namespace qx::test
