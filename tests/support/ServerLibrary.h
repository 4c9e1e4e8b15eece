#pragma once
// An in-process server DLL loaded by path, with its four entry points looked up once it is
// loaded; Loaded() tells whether the file loaded and exports them all.
#include <windows.h>

#include <string>

#include "common/Handles.h"

namespace qx::test {

class ServerLibrary {
public:
    explicit ServerLibrary(const std::wstring& path) : path_(path), module_(LoadLibraryW(path.c_str())) {}
    bool Loaded() const { return getClassObject_ && canUnloadNow_ && register_ && unregister_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const { return getClassObject_(clsid, riid, ppv); }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }
    const std::wstring& Path() const { return path_; }

private:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using NoArgFn = HRESULT(STDAPICALLTYPE*)();
    // Entry points are looked up once the module is loaded (members in declaration order).
    template <class Fn = NoArgFn>
    Fn Find(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name))) : nullptr;
    }
    std::wstring path_;
    ModuleHandle module_;
    const GetClassObjectFn getClassObject_ = Find<GetClassObjectFn>("DllGetClassObject");
    const NoArgFn canUnloadNow_ = Find("DllCanUnloadNow"), register_ = Find("DllRegisterServer"),
                  unregister_ = Find("DllUnregisterServer");
};

}  // namespace qx::test
