#pragma once
// The built module loaded by path, its exports, and registry helpers for checking what
// registration wrote.
#include <windows.h>

#include <string>

#include "common/Handles.h"
#include "tests/support/ScratchDirectory.h"

namespace qx::test {

// A path of the build host as Wine maps it (drive Z: is the host's root).
inline std::wstring HostPath(const char* hostPath) {
    std::wstring path = L"Z:";
    for (const char* c = hostPath; *c; ++c) path.push_back(*c == '/' ? L'\\' : wchar_t(*c));
    return path;
}

// Path of the built module (or type library) as Windows sees it.
inline std::wstring BuiltModulePath() { return HostPath(QX_MODULE_FILE); }
inline std::wstring BuiltTypeLibPath() { return HostPath(QX_TYPELIB_FILE); }

class BuiltModule {
public:
    explicit BuiltModule(const std::wstring& path = BuiltModulePath()) : path_(path), module_(LoadLibraryW(path.c_str())) {
        if (!module_) return;
        registerServer_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
        unregisterServer_ =
            reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
        if (!registerServer_ || !unregisterServer_) {
            FreeLibrary(module_);
            module_ = nullptr;
        }
    }
    ~BuiltModule() {
        if (module_) FreeLibrary(module_);
    }
    BuiltModule(const BuiltModule&) = delete;
    BuiltModule& operator=(const BuiltModule&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HRESULT Register() const { return registerServer_(); }
    HRESULT Unregister() const { return unregisterServer_(); }
    const std::wstring& Path() const { return path_; }

private:
    using Entry = HRESULT(STDAPICALLTYPE*)();
    std::wstring path_;
    HMODULE module_ = nullptr;
    Entry registerServer_ = nullptr;
    Entry unregisterServer_ = nullptr;
};

// HKEY_CLASSES_ROOT helpers. Text() gives "<no key>" for a missing key, "<none>" for a
// missing value and "<type N>" for a value that is not REG_SZ.
inline std::wstring Text(const std::wstring& path, const wchar_t* name = nullptr) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return L"<no key>";
    wchar_t data[1024];
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return L"<none>";
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    data[size / sizeof(wchar_t)] = 0;
    return data;
}

inline void PutText(const std::wstring& path, const wchar_t* name, const wchar_t* text) {
    RegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) ==
        ERROR_SUCCESS)
        RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

inline void DeleteTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()); }

inline void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::wstring* out) {
    RegKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    *out += shown + L"\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        BYTE data[2048];
        DWORD size = sizeof(data);
        if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        *out += shown + L" [" + name + L"] " + std::to_wstring(type) + L":";
        if (type == REG_SZ) *out += std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
        *out += L"\n";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DumpKey(key.Get(), name, shown + L"\\" + name, out);
    }
}

// Every subkey and value below path, one per line, for comparing states.
inline std::wstring Dump(const std::wstring& path) {
    std::wstring out;
    DumpKey(HKEY_CLASSES_ROOT, path, path, &out);
    return out;
}

}  // namespace qx::test
