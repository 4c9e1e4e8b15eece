#include "server/ScriptRunner.h"

#include <new>

#include "common/Handles.h"
#include "frame/Identifiers.h"
#include "frame/Module.h"
#include "server/ModulePath.h"
#include "server/Win32Registry.h"

namespace qx {

namespace {
HRESULT LastError() {
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
}
}  // namespace

HRESULT ScriptRunner::Run(UINT resource, RegScript::Mode mode, ReplacementList pairs) {
    try {
        std::wstring path;
        HRESULT hr = ModulePath::Get(Module::Instance(), &path);
        if (FAILED(hr)) return hr;
        const std::wstring quoted = ModulePath::Quoted(path);
        pairs.Add(L"APPID", kAppIdText);
        pairs.Add(L"Module", quoted);
        pairs.Add(L"Module_Raw", quoted);

        std::wstring script;
        hr = ReadScript(path, resource, &script);
        if (FAILED(hr)) return hr;
        std::wstring expanded;
        hr = pairs.Expand(script, &expanded);
        if (FAILED(hr)) return hr;
        Win32Registry registry;
        return RegScript::Run(expanded, registry, mode);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// The resource's ANSI text in the thread's code page, as UTF-16.
HRESULT ScriptRunner::ReadScript(const std::wstring& modulePath, UINT resource, std::wstring* text) {
    const ModuleHandle file(LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!file) return LastError();
    HRSRC found = FindResourceW(file.Get(), MAKEINTRESOURCEW(resource), L"REGISTRY");
    if (!found) return LastError();
    HGLOBAL loaded = LoadResource(file.Get(), found);
    const DWORD size = SizeofResource(file.Get(), found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0) return LastError();

    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length == 0) return LastError();
    try {
        text->resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), &(*text)[0], length) == 0)
        return LastError();
    return S_OK;
}

}  // namespace qx
