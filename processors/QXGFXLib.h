#pragma once
// Render global-effects processor: the mixed output of a render endpoint. Eight in-place
// effects run in a fixed order on a planar copy of each period, two channel swaps apply
// on write-back, an S/PDIF bitstream encoder can write the output instead, and a monitor
// component receives stereo copies of output periods.
#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "processors/EffectProcessor.h"
#include "processors/GFXTables.h"
#include "processors/PcmDumpFile.h"
#include "processors/ProcessingBase.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

class QXGFXLib : public EffectProcessor<IQXGFXLib>, private ProcessingBase {
public:
    explicit QXGFXLib(IUnknown* outer);
    ~QXGFXLib() override;

    HRESULT STDMETHODCALLTYPE Initialize(IUnknown* endpointStore) override;
    HRESULT STDMETHODCALLTYPE IsEncodedFormatSupported(USHORT formatTag) override;
    HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels,
                                             UINT32 maxFrames, IUnknown* fxStore, UINT32 outFormatTag) override;
    HRESULT STDMETHODCALLTYPE Process(const float* input, void* output, UINT32 frames) override;
    HRESULT STDMETHODCALLTYPE ProcessMonitor(const float* input, UINT32 frames) override;
    HRESULT STDMETHODCALLTYPE OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) override;

private:
    void CreateComponents();
    bool AnyComponent() const;
    void InitializeEffects(IPropertyStore* store, HRESULT& status);
    void InitializeMonitor(HRESULT& status);
    void EngageEncoder(uint32_t requestedTag, HRESULT& status);

    IQXEffectComponent* EngagedEncoder() const;
    bool Works(const Period& p) override;
    void RunChain(Period& p) override;
    HRESULT WriteBack(const Period& p, void* output, uint32_t frames) override;
    HRESULT FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                        HRESULT status) override;
    void AppendToDump(const float* output, bool encoded, uint32_t frames);

    uint32_t formFactor_;
    uint16_t outputTag_;
    // The encoder that writes the current period, worked out once when it starts.
    IQXEffectComponent* periodEncoder_ = nullptr;
    SRCInternal monitorConverter_;
    PcmDumpFile dump_;
    // Declared last so that the components are released first.
    ComPtr<IQXEffectComponent> slots_[gfx::kSlotCount];
};

}  // namespace qx
