#include "processors/QXGFXLib.h"

#include <algorithm>
#include <iterator>

#include "processors/ChannelMixer.h"
#include "processors/ParameterPush.h"
#include "processors/WaveFormats.h"
#include "settings/EffectComponent.h"
#include "settings/ParameterProtocol.h"
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

// A period before any lock is too long for it; while converting a period holds exactly
// the lock-time frames; an empty period writes nothing.
constexpr StreamRules kStreamRules{E_INVALIDARG, false, true, true, true, false, false};

}  // namespace

QXGFXLib::QXGFXLib(IUnknown* outer)
    : EffectProcessor(outer), ProcessingBase(kStreamRules), formFactor_(FormFactorUnknown), outputTag_(kFormatTagPcm) {}

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
    if (const HRESULT hr = LockStream(sampleRate, inChannels, outChannels, maxFrames); FAILED(hr)) return hr;
    monitorConverter_.Init(sampleRate, internalRate_, maxFrames, nullptr, 2);

    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    HRESULT status = ReadEnableFlags(store.Get(), kEnableKeys, kEnableOrder, std::size(kEnableOrder));
    InitializeEffects(store.Get(), status);
    InitializeMonitor(status);
    EngageEncoder(outFormatTag & 0xFFFF, status);
    return status;
}

void QXGFXLib::InitializeEffects(IPropertyStore* store, HRESULT& status) {
    const WAVEFORMATEX format = Format(inChannels_);
    for (uint32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        IQXEffectComponent* component = slots_[slot].Get();
        if (!component) continue;
        status = component->Initialize(&format, &format, internalFrames_, kSlots[slot].initializeFlag);
        // A component that is not ready stays in the chain but gets no parameters.
        if (FAILED(status)) continue;
        for (const KeyPush& push : kLockPushes)
            if (push.slot == slot) status = PushParameter(store, component, push.key, push.rule);
    }
}

void QXGFXLib::InitializeMonitor(HRESULT& status) {
    if (!slots_[SlotMonitor]) return;
    const WAVEFORMATEX stereo = Format(2);
    status = slots_[SlotMonitor]->Initialize(&stereo, nullptr, internalFrames_, 0);
}

// An encoder that accepts the requested bitstream takes over the output; one that fails
// to initialise is dropped so that periods are written back as PCM.
void QXGFXLib::EngageEncoder(uint32_t requestedTag, HRESULT& status) {
    outputTag_ = kFormatTagPcm;
    const WAVEFORMATEX working = Format(inChannels_);
    for (const EncoderInfo& encoder : kEncoders) {
        ComPtr<IQXEffectComponent>& slot = slots_[encoder.slot];
        if (!slot || requestedTag != encoder.requestedTag) continue;
        const WAVEFORMATEX encoded = MakeWaveFormat(encoder.writtenTag, outChannels_, rate_, 16);
        status = slot->Initialize(&working, &encoded, internalFrames_, 0);
        if (FAILED(status)) {
            slot.Reset();
            continue;
        }
        outputTag_ = encoder.writtenTag;
        status = S_FALSE;
    }
}

// ---- Process ----------------------------------------------------------------------

IQXEffectComponent* QXGFXLib::EngagedEncoder() const {
    if (formFactor_ != FormFactorSpdif) return nullptr;
    for (const EncoderInfo& encoder : kEncoders)
        if (outputTag_ == encoder.writtenTag && slots_[encoder.slot]) return slots_[encoder.slot].Get();
    return nullptr;
}

bool QXGFXLib::Works(const Period& p) {
    periodEncoder_ = EngagedEncoder();
    for (uint32_t slot = 0; slot < kEffectSlotCount; ++slot)
        if (slots_[slot] && p.flags[slot]) return true;
    return p.flags[SlotSwapCenterSub] || p.flags[SlotSwapSideRear] || periodEncoder_;
}

// Runs the enabled effects in place; the status is that of the last call, 1 when none ran.
void QXGFXLib::RunChain(Period& p) {
    for (uint8_t slot : kChainOrder)
        if (slots_[slot] && p.flags[slot]) p.status = RunInPlace(slots_[slot].Get(), p.frames);
}

HRESULT QXGFXLib::Process(const float* input, void* output, UINT32 frames) {
    return RunPeriod(input, output, frames);
}

// The swaps remap channels on the way out; an engaged encoder writes the bitstream
// instead of the PCM write-back.
HRESULT QXGFXLib::WriteBack(const Period& p, void* output, uint32_t frames) {
    HRESULT status = p.status;
    uint8_t map[ChannelBlock::kChannels] = {0, 1, 2, 3, 4, 5, 6, 7};
    if (p.flags[SlotSwapCenterSub] && outChannels_ >= 5) {
        std::swap(map[2], map[3]);
        status = S_OK;
    }
    if (p.flags[SlotSwapSideRear] && outChannels_ >= 7) {
        std::swap(map[4], map[6]);
        std::swap(map[5], map[7]);
        status = S_OK;
    }

    if (periodEncoder_) {
        void* const outTable[1] = {output};
        status = periodEncoder_->Process(block_.Table(), outTable, frames);
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
    if (const HRESULT hr = CheckFrames(frames); FAILED(hr)) return hr;

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
    const RefreshRow* row = FindRefreshRow(kRefreshRows, changed);
    return row ? Refresh(*row, changed, store.Get(), slots_[row->slot].Get(), queryStatus) : queryStatus;
}

HRESULT QXGFXLib::FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                              HRESULT status) {
    if (row.after & kResetFirst) {
        IQXEffectComponent* component = slots_[row.slot].Get();
        if (!component) return status;
        status = component->SetParameter(param::kSmartVolumeReset, 0, nullptr);
    }
    return ProcessingBase::FlagChanged(row, counted, value, store, status);
}

}  // namespace qx
