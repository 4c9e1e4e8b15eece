#pragma once
// Render local-effects processor: one render stream before it is mixed. It carries the
// surround family (two matrix up-mixers, three virtualisers, Voice Clarity, the virtual
// Speaker Shifter and its own Nuvex Surround Max up-mix) and hosts one audio processing
// object.
#include <cstdint>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "processors/EffectProcessor.h"
#include "processors/HostedApo.h"
#include "processors/LfxTables.h"
#include "processors/ProcessingBase.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

class LfxParameters;

class QXLFXLib : public EffectProcessor<IQXLFXLib>, private ProcessingBase {
public:
    explicit QXLFXLib(IUnknown* outer);
    ~QXLFXLib() override;

    HRESULT STDMETHODCALLTYPE Initialize(IUnknown* endpointStore) override;
    HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 rate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames,
                                             IUnknown* fxStore, UINT32 outputTag) override;
    HRESULT STDMETHODCALLTYPE Process(const float* input, void* output, UINT32 frames) override;
    HRESULT STDMETHODCALLTYPE OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) override;

    HRESULT STDMETHODCALLTYPE HostedInitialize(UINT32 byteCount, BYTE* data) override;
    HRESULT STDMETHODCALLTYPE HostedLockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs,
                                                   UINT32 outCount, APO_CONNECTION_DESCRIPTOR** outputs) override;
    HRESULT STDMETHODCALLTYPE HostedUnlockForProcess() override;
    HRESULT STDMETHODCALLTYPE HostedProcess(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs, UINT32 outCount,
                                            APO_CONNECTION_PROPERTY** outputs) override;

private:
    void CreateComponents();
    void SetUpUpMixers(LfxParameters& params);
    void SetUpVirtualisers(LfxParameters& params);
    void SetUpDolbySurround(LfxParameters& params);
    void SetUpSurroundSensation(LfxParameters& params);
    void SetUpVoiceAndShifter(LfxParameters& params);
    HRESULT NuvexSetUp(LfxParameters& params);
    void ReinitialiseDolbySurround(LfxParameters& params, uint32_t mode);

    HRESULT FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                        HRESULT status) override;
    HRESULT RefreshValue(const settings::KeyId& key, IPropertyStore* store);

    bool Works(const Period& p) override;
    void RunChain(Period& p) override;
    void RunUpMixers(Period& p);
    void RunVoiceClarity(Period& p);
    void RunSpeakerShifter(Period& p);
    void RunVirtualiser(Period& p);
    void RunVirtualiserWithUpMixer(Period& p, uint8_t virtualiser, uint8_t upMixer);
    void RunNuvex(Period& p);
    HRESULT Run(uint8_t slot, uint32_t frames) const { return RunInPlace(slots_[slot].Get(), frames); }
    bool Active(const Period& p, uint8_t slot) const { return slots_[slot] && p.On(slot); }

    bool Has(uint8_t slot) const { return bool(slots_[slot]); }

    ComPtr<IQXEffectComponent> slots_[lfx::kSlotCount];
    uint32_t formFactor_ = settings::FormFactorUnknown;
    HostedApo hosted_;
};

}  // namespace qx
