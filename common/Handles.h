#pragma once
// Owning wrappers for kernel handles, registry keys, loaded modules and critical sections.
#include <windows.h>
#include <objbase.h>
#include <utility>

namespace qx {

// Owns one handle of the kind `Traits` describes (its type, which values hold something
// and how to give one back): it closes the handle when replaced or destroyed, and can
// be moved but not copied.
template <class Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type h) : h_(h) {}
    UniqueResource(UniqueResource&& o) noexcept : h_(std::exchange(o.h_, Type{})) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, Type{}));
        return *this;
    }
    ~UniqueResource() { Reset(); }

    void Reset(Type h = Type{}) {
        if (Traits::Holds(h_)) Traits::Close(h_);
        h_ = h;
    }
    Type Get() const { return h_; }
    // Closes what is held and hands out the place for a function that opens a new one.
    Type* Put() {
        Reset();
        return &h_;
    }
    explicit operator bool() const { return Traits::Holds(h_); }

private:
    Type h_ = Type{};
};

// Kernel handles: both null and INVALID_HANDLE_VALUE hold nothing.
struct KernelHandleTraits {
    using Type = HANDLE;
    static bool Holds(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static bool Holds(HKEY k) { return k != nullptr; }
    static void Close(HKEY k) { RegCloseKey(k); }
};

struct ModuleHandleTraits {
    using Type = HMODULE;
    static bool Holds(HMODULE m) { return m != nullptr; }
    static void Close(HMODULE m) { FreeLibrary(m); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using RegKey = UniqueResource<RegKeyTraits>;
using ModuleHandle = UniqueResource<ModuleHandleTraits>;

// A critical section that remembers whether its initialisation succeeded, so the
// owner can fail creation and the destructor deletes only what was initialised.
class CriticalSection {
public:
    CriticalSection() { ok_ = InitializeCriticalSectionEx(&cs_, 0, 0) != FALSE; if (!ok_) error_ = GetLastError(); }
    ~CriticalSection() { if (ok_) DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    bool Ok() const { return ok_; }
    HRESULT Status() const { return ok_ ? S_OK : HRESULT_FROM_WIN32(error_ ? error_ : ERROR_OUTOFMEMORY); }
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
    bool ok_ = false;
    DWORD error_ = 0;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~CriticalSectionLock() { cs_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& cs_;
};

// Joins this thread to COM for the owner's lifetime; leaves again only when joining worked.
class ComApartment {
public:
    explicit ComApartment(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Status() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace qx
