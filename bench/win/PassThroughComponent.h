#pragma once
// An effect component that accepts everything and changes nothing, so that a benchmark
// of a processor measures the processor's own work. One object serves as its own class
// factory and lives as long as the benchmark: its reference count is not kept.
#include <windows.h>
#include <unknwn.h>

#include "settings/IQXEffectComponent.h"

namespace qx::bench {

class PassThroughComponent : public IQXEffectComponent, public IClassFactory {
public:
    explicit PassThroughComponent(const IID& creationIid) : iid_(creationIid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX*, const WAVEFORMATEX*, UINT32, UINT32) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE, BYTE, const void*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Process(float* const*, void* const*, UINT32) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IID iid_;
};

}  // namespace qx::bench
