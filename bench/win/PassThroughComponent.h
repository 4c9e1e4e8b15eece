#pragma once
// An effect component that accepts everything and changes nothing, so that a benchmark
// of a processor measures the processor's own work. It answers the creation IID of the
// class it is made for as well as IQXEffectComponent.
#include <windows.h>
#include <unknwn.h>

#include "common/UnknownObject.h"
#include "settings/IQXEffectComponent.h"

namespace qx::bench {

class PassThroughComponent final : public UnknownObject<IQXEffectComponent> {
public:
    // Makes one and answers riid from it.
    static HRESULT Create(const IID& creationIid, REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX*, const WAVEFORMATEX*, UINT32, UINT32) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE, BYTE, const void*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Process(float* const*, void* const*, UINT32) override { return S_OK; }

private:
    explicit PassThroughComponent(const IID& creationIid) : iid_(creationIid) {}
    void* FindInterface(REFIID riid) override;

    IID iid_;
};

}  // namespace qx::bench
