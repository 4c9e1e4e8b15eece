#include "processors/ProcessingBase.h"

#include <algorithm>

#include "processors/InternalRate.h"
#include "processors/ParameterPush.h"
#include "processors/WaveFormats.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

ProcessingBase::ProcessingBase(const StreamRules& rules) : rules_(rules) {
    for (auto& flag : flags_) flag.store(0, std::memory_order_relaxed);
}

HRESULT ProcessingBase::LockStream(UINT32 rate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames) {
    constexpr uint32_t kChannels = ChannelBlock::kChannels;
    if (rate == 0 || inChannels == 0 || inChannels > kChannels || outChannels == 0 || outChannels > kChannels ||
        maxFrames == 0 || maxFrames > kMaxFramesPerCall)
        return E_INVALIDARG;

    maxFrames_ = 0;
    rate_ = rate;
    inChannels_ = inChannels;
    outChannels_ = outChannels;
    internalRate_ = InternalRateFor(rate);
    const uint32_t converterChannels = rules_.converterSpansOutput ? std::max(inChannels, outChannels) : inChannels;
    converter_.Init(rate, internalRate_, maxFrames, &internalFrames_, uint8_t(converterChannels));

    uint32_t working = std::max(maxFrames, internalFrames_);
    if (rules_.roundUp441 && working == 441) working = 480;
    if (!block_.Reserve(working)) return E_OUTOFMEMORY;
    maxFrames_ = maxFrames;
    return S_OK;
}

HRESULT ProcessingBase::ReadEnableFlags(IPropertyStore* store, const settings::KeyId* keys, const uint8_t* order,
                                        size_t count) {
    HRESULT status = E_POINTER;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t flag = order ? order[i] : uint8_t(i);
        uint32_t value = 0;
        bool counted = false;
        status = settings::ReadUIntStatus(store, keys[flag], value, counted);
        if (counted) StoreFlag(flag, value != 0 ? 1 : 0);
    }
    return status;
}

HRESULT ProcessingBase::CheckFrames(uint32_t frames) const {
    if (frames > maxFrames_) return E_INVALIDARG;
    if (rules_.exactPeriodWhenConverting && Converting() && frames != maxFrames_) return E_INVALIDARG;
    return S_OK;
}

HRESULT ProcessingBase::RunPeriod(const float* input, void* output, UINT32 frames) {
    Period p;
    for (uint32_t f = 0; f < kMaxFlags; ++f) p.flags[f] = Flag(uint8_t(f));
    p.frames = frames;
    p.channels = inChannels_;
    p.status = S_FALSE;

    if (rules_.decideBeforeChecks && !Works(p)) return S_FALSE;
    if (!Locked()) return rules_.unlockedStatus;
    if (const HRESULT hr = CheckFrames(frames); FAILED(hr)) return hr;
    if (frames != 0 && (!input || !output)) return E_POINTER;
    if (frames == 0 && rules_.emptyPeriodIsIdle) return S_FALSE;
    if (!rules_.decideBeforeChecks && !Works(p)) return S_FALSE;

    if (rules_.clearBeforeSplit) block_.Clear(frames);
    block_.Split(input, inChannels_, frames);
    if (Converting()) {
        Convert(converter_, inChannels_, frames, SRCInternal::Forward);
        p.frames = internalFrames_;
    }
    RunChain(p);
    if (Converting()) Convert(converter_, outChannels_, internalFrames_, SRCInternal::Reverse);
    return WriteBack(p, output, frames);
}

HRESULT ProcessingBase::WriteBack(const Period& p, void* output, uint32_t frames) {
    InterleavePlanar(block_.Table(), outChannels_, frames, static_cast<float*>(output));
    return p.status;
}

WAVEFORMATEX ProcessingBase::Format(uint32_t channels) const { return MakeFloatFormat(channels, internalRate_); }

HRESULT ProcessingBase::RunInPlace(IQXEffectComponent* component, uint32_t frames) const {
    float* const* table = block_.Table();
    return component->Process(table, reinterpret_cast<void* const*>(table), frames);
}

void ProcessingBase::Convert(SRCInternal& converter, uint32_t channels, uint32_t frames, uint32_t direction) {
    for (uint32_t c = 0; c < channels; ++c) converter.Process(block_.Channel(c), c, frames, direction);
}

HRESULT ProcessingBase::Refresh(const RefreshRow& row, const settings::KeyId& key, IPropertyStore* store,
                                IQXEffectComponent* component, HRESULT status) {
    uint32_t value = 0;
    bool counted = false;
    if (row.action == RefreshAction::Push) {
        if (row.when.modeKey) status = settings::ReadUIntStatus(store, *row.when.modeKey, value, counted);
        const bool flagOn = row.when.when == When::FlagOn && Flag(row.when.flag) != 0;
        const uint32_t mode = counted ? value : row.when.unreadMode;
        return Holds(row.when, flagOn, mode) ? PushParameter(store, component, key, row.rule) : status;
    }
    status = settings::ReadUIntStatus(store, key, value, counted);
    return counted || (row.after & kEvenUnread) ? FlagChanged(row, counted, value, store, status) : status;
}

HRESULT ProcessingBase::FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* /*store*/,
                                    HRESULT status) {
    if (!counted || row.action != RefreshAction::StoreFlag) return status;
    StoreFlag(row.slot, value);
    if (value) ClearFlags(row.clearWhenOn);
    return status;
}

}  // namespace qx
