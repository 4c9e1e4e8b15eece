#pragma once
// A COM server DLL used without the registry: loaded from a path, asked directly for
// class factories, and optionally announced to COM for this process
// (CoRegisterClassObject), so that CoCreateInstance calls made by other code, such as a
// processor creating its components, reach it too.
#include <windows.h>
#include <unknwn.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"

namespace qx::host {

class InProcessServer {
public:
    InProcessServer() = default;
    ~InProcessServer();
    InProcessServer(const InProcessServer&) = delete;
    InProcessServer& operator=(const InProcessServer&) = delete;

    bool Load(const std::wstring& path, std::string& error);
    bool Loaded() const { return module_ && module_->Get(); }
    HMODULE Module() const { return module_ ? module_->Get() : nullptr; }

    // Creates an object through the DLL's own class factory.
    HRESULT CreateInstance(REFCLSID clsid, REFIID riid, void** ppv) const;
    // Registers the factory of every listed class the DLL serves; returns how many.
    size_t RegisterClasses(const std::vector<CLSID>& classes);

private:
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    // The module is freed only after every registration has been revoked.
    std::unique_ptr<ModuleHandle> module_;
    GetClassObjectFn getClassObject_ = nullptr;
    std::vector<DWORD> cookies_;
};

// The folder of the running program, with a trailing separator.
std::wstring ProgramFolder();
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

}  // namespace qx::host
