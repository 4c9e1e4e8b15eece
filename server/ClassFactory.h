#pragma once
// The cached class factory of one class. Its own reference (count 1) belongs to the
// class table; a client reference taking the count from 1 to 2 holds a module lock,
// which the release back to 1 gives up, so a client-held factory keeps the DLL loaded.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace qx {

using ObjectCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

class ClassFactory final : public IClassFactory {
public:
    static HRESULT Create(ObjectCreator creator, REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit ClassFactory(ObjectCreator creator) : creator_(creator) {}
    ~ClassFactory() = default;

    ObjectCreator creator_;
    std::atomic<LONG> refs_{0};
};

}  // namespace qx
