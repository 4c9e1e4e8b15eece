#pragma once
// Owning wrappers for kernel handles, registry keys and critical sections.
#include <windows.h>
#include <utility>

namespace qx {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept { if (this != &o) { Reset(); h_ = std::exchange(o.h_, nullptr); } return *this; }
    ~UniqueHandle() { Reset(); }
    void Reset(HANDLE h = nullptr) {
        if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = h;
    }
    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_ = nullptr;
};

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY k) : k_(k) {}
    RegKey(RegKey&& o) noexcept : k_(std::exchange(o.k_, nullptr)) {}
    RegKey& operator=(RegKey&& o) noexcept { if (this != &o) { Reset(); k_ = std::exchange(o.k_, nullptr); } return *this; }
    ~RegKey() { Reset(); }
    void Reset() { if (k_) RegCloseKey(std::exchange(k_, nullptr)); }
    HKEY Get() const { return k_; }
    HKEY* Put() { Reset(); return &k_; }
    explicit operator bool() const { return k_ != nullptr; }

private:
    HKEY k_ = nullptr;
};

class ModuleHandle {
public:
    explicit ModuleHandle(HMODULE m = nullptr) : m_(m) {}
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;
    ~ModuleHandle() { if (m_) FreeLibrary(m_); }
    HMODULE Get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }

private:
    HMODULE m_;
};

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

}  // namespace qx
