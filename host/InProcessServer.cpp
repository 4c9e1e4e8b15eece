#include "host/InProcessServer.h"

#include "common/ComPtr.h"

namespace qx::host {

InProcessServer::~InProcessServer() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
}

bool InProcessServer::Load(const std::wstring& path, std::string& error) {
    module_ = std::make_unique<ModuleHandle>(LoadLibraryW(path.c_str()));
    if (!module_->Get()) {
        error = "cannot load " + Narrow(path) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_->Get(), "DllGetClassObject")));
    if (!getClassObject_) {
        error = Narrow(path) + " has no DllGetClassObject";
        module_.reset();
        return false;
    }
    return true;
}

HRESULT InProcessServer::CreateInstance(REFCLSID clsid, REFIID riid, void** ppv) const {
    if (!getClassObject_) return E_UNEXPECTED;
    ComPtr<IClassFactory> factory;
    const HRESULT hr = getClassObject_(clsid, IID_IClassFactory, factory.PutVoid());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, riid, ppv);
}

size_t InProcessServer::RegisterClasses(const std::vector<CLSID>& classes) {
    size_t registered = 0;
    for (const CLSID& clsid : classes) {
        ComPtr<IUnknown> factory;
        if (!getClassObject_ || FAILED(getClassObject_(clsid, IID_IClassFactory, factory.PutVoid()))) continue;
        DWORD cookie = 0;
        if (SUCCEEDED(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie))) {
            cookies_.push_back(cookie);
            ++registered;
        }
    }
    return registered;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') --n;
    return std::wstring(path, n);
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return L"";
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return "";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace qx::host
