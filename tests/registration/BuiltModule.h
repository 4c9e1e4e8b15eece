#pragma once
// The built module loaded by path, its exports, and registry helpers for checking what
// registration wrote.
#include <windows.h>

#include <string>

#include "tests/support/ScratchDirectory.h"

namespace qx::test {

// Path of the built module (or type library) as Windows sees it.
std::wstring BuiltModulePath();
std::wstring BuiltTypeLibPath();

class BuiltModule {
public:
    explicit BuiltModule(const std::wstring& path = BuiltModulePath());
    ~BuiltModule();
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
std::wstring Text(const std::wstring& path, const wchar_t* name = nullptr);
void PutText(const std::wstring& path, const wchar_t* name, const wchar_t* text);
void DeleteTree(const std::wstring& path);
// Every subkey and value below path, one per line, for comparing states.
std::wstring Dump(const std::wstring& path);

}  // namespace qx::test
