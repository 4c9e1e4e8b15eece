#include "server/ModuleTypeLib.h"

#include <oleauto.h>

#include <memory>

#include "server/ModulePath.h"

namespace qx {

namespace {
using UniqueBstr = std::unique_ptr<OLECHAR, decltype(&SysFreeString)>;

// Library attributes released with the library they came from.
class LibAttr {
public:
    explicit LibAttr(ITypeLib* library) : library_(library) {}
    ~LibAttr() {
        if (attr_) library_->ReleaseTLibAttr(attr_);
    }
    LibAttr(const LibAttr&) = delete;
    LibAttr& operator=(const LibAttr&) = delete;
    HRESULT Fetch() { return library_->GetLibAttr(&attr_); }
    const TLIBATTR* operator->() const { return attr_; }

private:
    ITypeLib* library_;
    TLIBATTR* attr_ = nullptr;
};

// REGKIND_NONE: loading must never register as a side effect.
HRESULT LoadFile(const std::wstring& path, ComPtr<ITypeLib>& library) {
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
}
}  // namespace

HRESULT ModuleTypeLib::Load(const std::wstring& modulePath, ComPtr<ITypeLib>& library, std::wstring* loadedFrom) {
    HRESULT hr = LoadFile(modulePath, library);
    if (SUCCEEDED(hr)) {
        *loadedFrom = modulePath;
        return hr;
    }
    const std::wstring tlbPath = ModulePath::WithExtension(modulePath, L".tlb");
    hr = LoadFile(tlbPath, library);
    if (SUCCEEDED(hr)) *loadedFrom = tlbPath;
    return hr;
}

HRESULT ModuleTypeLib::Register(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    std::wstring path;
    HRESULT hr = Load(modulePath, library, &path);
    if (FAILED(hr)) return hr;

    // A help directory is passed only for a library that names a help file.
    BSTR helpFileRaw = nullptr;
    library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFileRaw);
    const UniqueBstr helpFile(helpFileRaw, &SysFreeString);
    std::wstring helpDirectory;
    if (helpFile && SysStringLen(helpFile.get()) > 0) helpDirectory = ModulePath::Directory(path);

    // Some SDK headers declare the path parameters without const; they are only read.
    return RegisterTypeLib(library.Get(), const_cast<wchar_t*>(path.c_str()),
                           helpDirectory.empty() ? nullptr : const_cast<wchar_t*>(helpDirectory.c_str()));
}

HRESULT ModuleTypeLib::Unregister(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    std::wstring path;
    HRESULT hr = Load(modulePath, library, &path);
    if (FAILED(hr)) return hr;
    LibAttr attr(library.Get());
    hr = attr.Fetch();
    if (FAILED(hr)) return hr;
    return UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
}

}  // namespace qx
