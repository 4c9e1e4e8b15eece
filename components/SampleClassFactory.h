#pragma once
// The class factory of one sample class. It holds a module lock while it lives, so a
// client that keeps a factory keeps the DLL loaded.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "components/SampleClassTable.h"
#include "components/SampleModule.h"

namespace qx::samplefx {

class SampleClassFactory final : public IClassFactory {
public:
    static HRESULT Create(const SampleClass& cls, REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit SampleClassFactory(const SampleClass& cls) : class_(cls) {}
    ~SampleClassFactory() = default;

    SampleModuleLock moduleLock_;
    std::atomic<LONG> refs_{0};
    const SampleClass& class_;
};

}  // namespace qx::samplefx
