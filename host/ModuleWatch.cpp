#include "host/ModuleWatch.h"

#include <string>
#include <utility>

namespace qx::host {

namespace {
using CanUnloadNowFn = HRESULT(WINAPI*)();

// An object reached through a proxy (a class whose threading model keeps it out of this
// apartment) has the method table of the COM runtime, not of the DLL that serves it.
constexpr const wchar_t* kComRuntime[] = {L"combase.dll", L"ole32.dll", L"oleaut32.dll", L"rpcrt4.dll"};

bool IsComRuntime(HMODULE module) {
    for (const wchar_t* name : kComRuntime)
        if (module == GetModuleHandleW(name)) return true;
    return false;
}

std::string FileName(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "(unknown DLL)";
    DWORD start = n;
    while (start > 0 && path[start - 1] != L'\\' && path[start - 1] != L'/') --start;
    std::string name;
    for (DWORD i = start; i < n; ++i) name += path[i] < 0x80 ? char(path[i]) : '?';
    return name;
}

std::string Status(HRESULT hr) {
    if (hr == S_FALSE) return "S_FALSE";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}
}  // namespace

void ModuleWatch::Watch(IUnknown* object) {
    if (object) WatchAddress(*reinterpret_cast<void* const*>(object));
}

void ModuleWatch::Watch(HMODULE module) {
    if (module) WatchAddress(module);
}

void ModuleWatch::WatchAddress(const void* address) {
    ModuleHandle held;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(address), held.Put())) return;
    if (held.Get() == GetModuleHandleW(nullptr) || IsComRuntime(held.Get())) return;  // the program, or COM itself
    for (const ModuleHandle& m : modules_)
        if (m.Get() == held.Get()) return;  // already held; `held` gives its reference back
    modules_.push_back(std::move(held));
}

bool ModuleWatch::Report(std::FILE* out) const {
    bool all = true;
    for (const ModuleHandle& m : modules_) {
        const auto canUnload = reinterpret_cast<CanUnloadNowFn>(
            reinterpret_cast<void*>(GetProcAddress(m.Get(), "DllCanUnloadNow")));
        if (!canUnload) continue;  // not a COM server
        const HRESULT hr = canUnload();
        if (hr == S_OK) {
            std::fprintf(out, "%s: can unload\n", FileName(m.Get()).c_str());
        } else {
            std::fprintf(out, "%s: cannot unload (%s)\n", FileName(m.Get()).c_str(), Status(hr).c_str());
            all = false;
        }
    }
    return all;
}

}  // namespace qx::host
