#pragma once
// A sample effect component: the COM face (IQXEffectComponent and the class's own
// creation IID) over one pure effect. Parameters go straight to the effect, which
// latches them atomically, so SetParameter may arrive while Process runs.
#include <windows.h>
#include <mmreg.h>

#include <atomic>
#include <memory>

#include "components/SampleModule.h"
#include "components/dsp/Effect.h"
#include "settings/IQXEffectComponent.h"

namespace qx::samplefx {

class SampleComponent final : public IQXEffectComponent {
public:
    // Takes ownership of effect (null: E_OUTOFMEMORY) and answers riid.
    static HRESULT Create(fx::Effect* effect, REFIID ownIid, REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                         UINT32 flag) override;
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE id, BYTE size, const void* data) override;
    HRESULT STDMETHODCALLTYPE Process(float* const* in, void* const* out, UINT32 frames) override;

    // The planar float formats the components work on: IEEE float (plain or
    // extensible), 32 bits, 1 to 8 channels, a plausible rate, consistent block align.
    static bool IsSupportedFormat(const WAVEFORMATEX& format);

private:
    SampleComponent(std::unique_ptr<fx::Effect> effect, REFIID ownIid)
        : effect_(std::move(effect)), ownIid_(ownIid) {}
    ~SampleComponent() = default;

    SampleModuleLock moduleLock_;
    std::atomic<LONG> refs_{0};
    std::unique_ptr<fx::Effect> effect_;
    const IID ownIid_;
    // Written by Initialize, which the host never runs during Process.
    bool ready_ = false;
    UINT32 channels_ = 0;
};

}  // namespace qx::samplefx
