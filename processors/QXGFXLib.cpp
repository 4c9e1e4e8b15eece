#include "processors/QXGFXLib.h"

#include <algorithm>
#include <iterator>

#include "processors/ChannelMixer.h"
#include "processors/GFXParameterPush.h"
#include "processors/InternalRate.h"
#include "processors/WaveFormats.h"
#include "settings/EffectComponent.h"
#include "settings/PropertyStoreAccess.h"
#include "settings/WinGuid.h"

namespace qx {

using namespace gfx;
using settings::FormFactorSpdif;
using settings::FormFactorUnknown;

namespace {

constexpr wchar_t kDumpKey[] = L"Software\\Quellix\\APOLog";
constexpr wchar_t kDumpValue[] = L"OutputDump_GFX";
constexpr wchar_t kDumpPath[] = L"C:\\Temp\\GFXDump.pcm";

}  // namespace

QXGFXLib::QXGFXLib(IUnknown* outer) : EffectProcessor(outer), formFactor_(FormFactorUnknown), outputTag_(kFormatTagPcm) {
    for (auto& flag : flags_) flag.store(0);
}

QXGFXLib::~QXGFXLib() = default;

// ---- Initialize -------------------------------------------------------------------

HRESULT QXGFXLib::Initialize(IUnknown* endpointStore) {
    if (!endpointStore) return E_POINTER;
    const HRESULT propertyStatus = settings::ReadEndpointProperties(endpointStore, formFactor_);

    for (auto& slot : slots_) slot.Reset();
    if (SUCCEEDED(propertyStatus)) CreateComponents();
    dump_.Close();
    if (FAILED(propertyStatus)) return propertyStatus;

    const HRESULT result = AnyComponent() ? S_OK : E_NOINTERFACE;
    dump_.OpenIfSwitchedOn(kDumpKey, kDumpValue, kDumpPath);
    return result;
}

void QXGFXLib::CreateComponents() {
    auto create = [this](uint8_t slot) {
        const SlotInfo& info = kSlots[slot];
        settings::CreateEffectComponent(ToGuid(info.clsid), ToGuid(info.creationIid), slots_[slot]);
    };
    for (uint8_t slot : kCommonSlots) create(slot);
    if (formFactor_ == FormFactorSpdif)
        for (uint8_t slot : kSpdifSlots) create(slot);
    else
        for (uint8_t slot : kOtherEndpointSlots) create(slot);
}

bool QXGFXLib::AnyComponent() const {
    return std::any_of(std::begin(slots_), std::end(slots_), [](const auto& slot) { return bool(slot); });
}

HRESULT QXGFXLib::IsEncodedFormatSupported(USHORT formatTag) {
    if (formatTag == kFormatTagDts && slots_[SlotDtsEncoder]) return S_OK;
    if (formatTag == kFormatTagAc3Spdif && slots_[SlotAc3Encoder]) return S_OK;
    return E_NOINTERFACE;
}

// ---- LockForProcess ---------------------------------------------------------------

HRESULT QXGFXLib::LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames,
                                 IUnknown* fxStore, UINT32 outFormatTag) {
    // The working set holds at most eight channels; a period must hold something.
    if (sampleRate == 0 || inChannels == 0 || inChannels > ChannelBlock::kChannels || outChannels == 0 ||
        outChannels > ChannelBlock::kChannels || maxFrames == 0 || maxFrames > kMaxFramesLimit)
        return E_INVALIDARG;

    inputRate_ = sampleRate;
    inChannels_ = inChannels;
    outChannels_ = outChannels;
    internalRate_ = InternalRateFor(sampleRate);
    uint32_t internalFrames = maxFrames;
    mainConverter_.Init(sampleRate, internalRate_, maxFrames, &internalFrames, uint8_t(inChannels));
    monitorConverter_.Init(sampleRate, internalRate_, maxFrames, nullptr, 2);
    if (!block_.Reserve(std::max(maxFrames, internalFrames))) {
        maxFrames_ = internalFrames_ = 0;  // unlocked: every period is refused
        return E_OUTOFMEMORY;
    }
    maxFrames_ = maxFrames;
    internalFrames_ = internalFrames;

    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    HRESULT status = ReadEnableFlags(store.Get());
    InitializeEffects(store.Get(), status);
    InitializeMonitor(status);
    EngageEncoder(outFormatTag & 0xFFFF, status);
    return status;
}

// Lock time stores 0 or 1; a value that does not count leaves the flag as it was.
HRESULT QXGFXLib::ReadEnableFlags(IPropertyStore* store) {
    HRESULT status = E_POINTER;
    for (uint32_t slot = 0; slot < kSlotCount; ++slot) {
        if (!kSlots[slot].hasEnableKey) continue;
        uint32_t value = 0;
        bool counted = false;
        status = settings::ReadUIntStatus(store, kSlots[slot].enableKey, value, counted);
        if (counted) flags_[slot].exchange(value != 0 ? 1 : 0);
    }
    return status;
}

void QXGFXLib::InitializeEffects(IPropertyStore* store, HRESULT& status) {
    const WAVEFORMATEX format = MakeFloatFormat(inChannels_, internalRate_);
    for (uint32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        IQXEffectComponent* component = slots_[slot].Get();
        if (!component) continue;
        status = component->Initialize(&format, &format, internalFrames_, kSlots[slot].initializeFlag);
        // A component that is not ready stays in the chain but gets no parameters.
        if (FAILED(status)) continue;
        for (const LockPush& push : kLockPushes)
            if (push.slot == slot) status = PushParameter(store, component, push.key, push.rule);
    }
}

void QXGFXLib::InitializeMonitor(HRESULT& status) {
    if (!slots_[SlotMonitor]) return;
    const WAVEFORMATEX stereo = MakeFloatFormat(2, internalRate_);
    status = slots_[SlotMonitor]->Initialize(&stereo, nullptr, internalFrames_, 0);
}

// An encoder that accepts the requested bitstream takes over the output; one that fails
// to initialise is dropped so that periods are written back as PCM.
void QXGFXLib::EngageEncoder(uint32_t requestedTag, HRESULT& status) {
    outputTag_ = kFormatTagPcm;
    const WAVEFORMATEX working = MakeFloatFormat(inChannels_, internalRate_);
    for (const EncoderInfo& encoder : kEncoders) {
        ComPtr<IQXEffectComponent>& slot = slots_[encoder.slot];
        if (!slot || requestedTag != encoder.requestedTag) continue;
        const WAVEFORMATEX encoded = MakeWaveFormat(encoder.writtenTag, outChannels_, inputRate_, 16);
        status = slot->Initialize(&working, &encoded, internalFrames_, 0);
        if (FAILED(status)) {
            slot.Reset();
            continue;
        }
        outputTag_ = encoder.writtenTag;
        status = 1;
    }
}

// ---- Process ----------------------------------------------------------------------

// A period may not exceed the lock-time maximum; while the rates differ the converter
// needs exactly that many frames.
HRESULT QXGFXLib::CheckPeriod(uint32_t frames) const {
    if (frames > maxFrames_ || (Converting() && frames != maxFrames_)) return E_INVALIDARG;
    return S_OK;
}

// Each flag is read once per period, so a change made meanwhile applies from the next.
void QXGFXLib::SnapshotFlags(Flags& flags) const {
    for (uint32_t slot = 0; slot < kSlotCount; ++slot) flags[slot] = flags_[slot].load(std::memory_order_acquire);
}

IQXEffectComponent* QXGFXLib::EngagedEncoder() const {
    if (formFactor_ != FormFactorSpdif) return nullptr;
    for (const EncoderInfo& encoder : kEncoders)
        if (outputTag_ == encoder.writtenTag && slots_[encoder.slot]) return slots_[encoder.slot].Get();
    return nullptr;
}

bool QXGFXLib::WorksThisPeriod(const Flags& flags) const {
    for (uint32_t slot = 0; slot < kEffectSlotCount; ++slot)
        if (slots_[slot] && flags[slot]) return true;
    return flags[SlotSwapCenterSub] || flags[SlotSwapSideRear] || EngagedEncoder();
}

void QXGFXLib::Convert(SRCInternal& converter, uint32_t channels, uint32_t frames, uint32_t direction) {
    for (uint32_t c = 0; c < channels; ++c) converter.Process(block_.Channel(c), c, frames, direction);
}

// Runs the enabled effects in place; the status is that of the last call, 1 when none ran.
HRESULT QXGFXLib::RunChain(const Flags& flags, uint32_t frames) {
    HRESULT status = 1;
    float* const* table = block_.Table();
    // In-place effects receive the very same table as input and output.
    void* const* outTable = reinterpret_cast<void* const*>(table);
    for (uint8_t slot : kChainOrder)
        if (slots_[slot] && flags[slot]) status = slots_[slot]->Process(table, outTable, frames);
    return status;
}

HRESULT QXGFXLib::Process(const float* input, void* output, UINT32 frames) {
    if (!input || !output) return E_POINTER;
    if (const HRESULT hr = CheckPeriod(frames); FAILED(hr)) return hr;
    if (frames == 0) return 1;
    Flags flags;
    SnapshotFlags(flags);
    if (!WorksThisPeriod(flags)) return 1;

    block_.Clear(frames);
    block_.Split(input, inChannels_, frames);
    uint32_t period = frames;
    if (Converting()) {
        Convert(mainConverter_, inChannels_, frames, SRCInternal::Forward);
        period = internalFrames_;
    }
    HRESULT status = RunChain(flags, period);
    if (Converting()) Convert(mainConverter_, outChannels_, internalFrames_, SRCInternal::Reverse);

    uint8_t map[ChannelBlock::kChannels] = {0, 1, 2, 3, 4, 5, 6, 7};
    if (flags[SlotSwapCenterSub] && outChannels_ >= 5) {
        std::swap(map[2], map[3]);
        status = S_OK;
    }
    if (flags[SlotSwapSideRear] && outChannels_ >= 7) {
        std::swap(map[4], map[6]);
        std::swap(map[5], map[7]);
        status = S_OK;
    }

    if (IQXEffectComponent* encoder = EngagedEncoder()) {
        void* const outTable[1] = {output};
        status = encoder->Process(block_.Table(), outTable, frames);
        AppendToDump(nullptr, true, frames);
    } else {
        block_.Interleave(static_cast<float*>(output), outChannels_, frames, map);
        AppendToDump(static_cast<const float*>(output), false, frames);
    }
    return status;
}

// The dump always holds two channels of PCM. A bitstream output is not PCM, so for an
// encoded period the dump takes the first two planar buffers the encoder was given;
// this keeps the file a gapless record of the stream. A mono output is written to both
// dump channels.
void QXGFXLib::AppendToDump(const float* output, bool encoded, uint32_t frames) {
    if (!dump_.IsOpen()) return;
    if (encoded) {
        dump_.Append(block_.Channel(0), block_.Channel(outChannels_ >= 2 ? 1 : 0), 1, frames);
        return;
    }
    dump_.Append(output, output + (outChannels_ >= 2 ? 1 : 0), outChannels_, frames);
}

HRESULT QXGFXLib::ProcessMonitor(const float* input, UINT32 frames) {
    IQXEffectComponent* monitor = slots_[SlotMonitor].Get();
    if (!monitor) return S_OK;
    if (!input) return E_POINTER;
    if (!Locked()) return frames ? E_INVALIDARG : S_OK;
    if (const HRESULT hr = CheckPeriod(frames); FAILED(hr)) return hr;

    // The monitor always receives the lock-time count, so a shorter period is padded
    // with silence rather than with what an earlier period left behind.
    block_.Clear(std::max(frames, internalFrames_));
    block_.Split(input, outChannels_, frames);
    if (outChannels_ > 2) MixDown(block_.Table(), outChannels_, 2, frames);
    if (Converting()) Convert(monitorConverter_, 2, frames, SRCInternal::Forward);
    monitor->Process(block_.Table(), nullptr, internalFrames_);
    return S_OK;
}

// ---- OnPropertyChanged ------------------------------------------------------------

HRESULT QXGFXLib::OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) {
    if (!fxStore) return S_OK;
    if (!key) return E_POINTER;
    ComPtr<IPropertyStore> store;
    const HRESULT queryStatus = fxStore->QueryInterface(IID_IPropertyStore, store.PutVoid());
    const settings::KeyId changed = settings::FromPropertyKey(*key);
    const RefreshRow* row = FindRefreshRow(changed);
    if (!row) return queryStatus;

    if (row->action == RefreshAction::Push)
        return PushParameter(store.Get(), slots_[row->slot].Get(), changed, row->rule);

    uint32_t value = 0;
    bool counted = false;
    HRESULT status = settings::ReadUIntStatus(store.Get(), changed, value, counted);
    if (!counted) return status;
    if (row->action == RefreshAction::ResetThenStoreFlag) {
        // The normaliser restarts before its switch changes, and only when it exists.
        IQXEffectComponent* component = slots_[row->slot].Get();
        if (!component) return status;
        status = component->SetParameter(12, 0, nullptr);
    }
    flags_[row->slot].exchange(value);
    return status;
}

}  // namespace qx
