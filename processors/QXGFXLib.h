#pragma once
// Render global-effects processor: the mixed output of a render endpoint. Eight in-place
// effects run in a fixed order on a planar copy of each period, two channel swaps apply
// on write-back, an S/PDIF bitstream encoder can write the output instead, and a monitor
// component receives stereo copies of output periods.
#include <atomic>
#include <cstdint>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "processors/ChannelBlock.h"
#include "processors/EffectProcessor.h"
#include "processors/GFXTables.h"
#include "processors/PcmDumpFile.h"
#include "resample/SRCInternal.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

class QXGFXLib : public EffectProcessor<IQXGFXLib> {
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

    // The largest maximum frame count LockForProcess accepts (over five seconds at
    // 192000 frames per second); larger requests are refused rather than allocated.
    static constexpr uint32_t kMaxFramesLimit = 1u << 20;

private:
    using Flags = uint32_t[gfx::kSlotCount];

    void CreateComponents();
    bool AnyComponent() const;
    HRESULT ReadEnableFlags(IPropertyStore* store);
    void InitializeEffects(IPropertyStore* store, HRESULT& status);
    void InitializeMonitor(HRESULT& status);
    void EngageEncoder(uint32_t requestedTag, HRESULT& status);

    bool Locked() const { return maxFrames_ != 0; }
    bool Converting() const { return internalRate_ != inputRate_; }
    HRESULT CheckPeriod(uint32_t frames) const;
    void SnapshotFlags(Flags& flags) const;
    IQXEffectComponent* EngagedEncoder() const;
    bool WorksThisPeriod(const Flags& flags) const;
    HRESULT RunChain(const Flags& flags, uint32_t frames);
    void Convert(SRCInternal& converter, uint32_t channels, uint32_t frames, uint32_t direction);
    void AppendToDump(const float* output, bool encoded, uint32_t frames);

    std::atomic<uint32_t> flags_[gfx::kSlotCount];
    uint32_t formFactor_;
    uint32_t inputRate_ = 0;
    uint32_t internalRate_ = 0;
    uint32_t inChannels_ = 0;
    uint32_t outChannels_ = 0;
    uint32_t maxFrames_ = 0;
    uint32_t internalFrames_ = 0;
    uint16_t outputTag_;
    SRCInternal mainConverter_;
    SRCInternal monitorConverter_;
    PcmDumpFile dump_;
    ChannelBlock block_;
    // Declared last so that the components are released first.
    ComPtr<IQXEffectComponent> slots_[gfx::kSlotCount];
};

}  // namespace qx
