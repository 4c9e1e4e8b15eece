#pragma once
// A sample effect component: the COM face (IQXEffectComponent and the class's own
// creation IID) over one pure effect. Parameters go straight to the effect, which
// latches them atomically, so SetParameter may arrive while Process runs.
#include <windows.h>
#include <mmreg.h>

#include <atomic>
#include <memory>

#include "common/UnknownObject.h"
#include "components/SampleModule.h"
#include "components/dsp/Effect.h"
#include "settings/IQXEffectComponent.h"

namespace qx::samplefx {

class SampleComponent final : public UnknownObject<IQXEffectComponent> {
public:
    // Takes ownership of effect (null: E_OUTOFMEMORY) and answers riid.
    static HRESULT Create(fx::Effect* effect, REFIID ownIid, REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                         UINT32 flag) override;
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE id, BYTE size, const void* data) override;
    HRESULT STDMETHODCALLTYPE Process(float* const* in, void* const* out, UINT32 frames) override;

    // The planar float formats the components work on: IEEE float (plain or
    // extensible), 32 bits, 1 to 8 channels, a plausible rate, consistent block align.
    static bool IsSupportedFormat(const WAVEFORMATEX& format);

protected:
    // Also answers the class's own creation IID.
    void* FindInterface(REFIID riid) override;

private:
    SampleComponent(std::unique_ptr<fx::Effect> effect, REFIID ownIid)
        : effect_(std::move(effect)), ownIid_(ownIid) {}

    SampleModuleLock moduleLock_;
    std::unique_ptr<fx::Effect> effect_;
    const IID ownIid_;
    // Written by Initialize, which the host never runs during Process.
    bool ready_ = false;
    UINT32 channels_ = 0;
};

}  // namespace qx::samplefx
