#include "tests/registration/BuiltModule.h"

#include <vector>

#include "common/Handles.h"

namespace qx::test {

namespace {
// A path of the build host as Wine maps it (drive Z: is the host's root).
std::wstring HostPath(const char* hostPath) {
    std::wstring path = L"Z:";
    for (const char* c = hostPath; *c; ++c) path.push_back(*c == '/' ? L'\\' : wchar_t(*c));
    return path;
}
}  // namespace

std::wstring BuiltModulePath() { return HostPath(QX_MODULE_FILE); }
std::wstring BuiltTypeLibPath() { return HostPath(QX_TYPELIB_FILE); }

BuiltModule::BuiltModule(const std::wstring& path) : path_(path), module_(LoadLibraryW(path.c_str())) {
    if (!module_) return;
    registerServer_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
    unregisterServer_ =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
    if (!registerServer_ || !unregisterServer_) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

BuiltModule::~BuiltModule() {
    if (module_) FreeLibrary(module_);
}

std::wstring Text(const std::wstring& path, const wchar_t* name) {
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

void PutText(const std::wstring& path, const wchar_t* name, const wchar_t* text) {
    RegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) ==
        ERROR_SUCCESS)
        RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

void DeleteTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()); }

namespace {
void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::wstring* out) {
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
}  // namespace

std::wstring Dump(const std::wstring& path) {
    std::wstring out;
    DumpKey(HKEY_CLASSES_ROOT, path, path, &out);
    return out;
}

}  // namespace qx::test
