#include "processors/QXMicLFXLib.h"

#include <algorithm>
#include <iterator>

#include "processors/ParameterPush.h"
#include "settings/EffectComponent.h"
#include "settings/ParameterProtocol.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

namespace key = settings::key;
using settings::KeyId;

namespace {

constexpr uint16_t Bit(QXMicLFXLib::Flag f) { return uint16_t(1u << f); }

constexpr uint32_t kMicrophone = settings::FormFactorMicrophone;

// The enable key of each flag, in flag order (the order in which a lock reads them).
constexpr KeyId kEnableKeys[QXMicLFXLib::kFlagCount] = {
    key::EncEnable,       key::MagicVoiceEnable, key::MicEchoEnable,   key::NoiseReductionEnable,
    key::BeamFormingEnable, key::AecEnable,      key::MixOutputEnable, key::ZurAecEnable,
};

// A period with nothing to do answers 1 whatever its arguments; the buffers keep what
// they held, so that channels the input does not carry pass on their last contents; the
// 441-frame period of 44100 works in 480-frame buffers.
constexpr StreamRules kStreamRules{E_UNEXPECTED, true, false, false, false, false, true};

// The effect chain in running order: a slot runs when one of its flags is on. ENC works
// only on a two-channel input, but that condition decides only whether the period is
// worked on at all.
struct ChainStep {
    QXMicLFXLib::Slot slot;
    uint16_t flags;
    bool stereoOnly;
};
constexpr ChainStep kChain[] = {
    {QXMicLFXLib::SlotEnc, Bit(QXMicLFXLib::FlagEnc), true},
    {QXMicLFXLib::SlotNoise,
     Bit(QXMicLFXLib::FlagNoiseReduction) | Bit(QXMicLFXLib::FlagBeamForming) | Bit(QXMicLFXLib::FlagAec), false},
    {QXMicLFXLib::SlotVoice, Bit(QXMicLFXLib::FlagMagicVoice) | Bit(QXMicLFXLib::FlagMicEcho), false},
    {QXMicLFXLib::SlotMixOutput, Bit(QXMicLFXLib::FlagMixOutput), false},
};

bool AnyOn(const uint32_t* flags, uint16_t mask) {
    for (uint32_t f = 0; f < QXMicLFXLib::kFlagCount; ++f)
        if ((mask & (1u << f)) && flags[f]) return true;
    return false;
}

using M = QXMicLFXLib;
constexpr uint16_t kNoiseFamily = Bit(M::FlagNoiseReduction) | Bit(M::FlagBeamForming) | Bit(M::FlagAec);

// Follow-ups of a flag row (bits of RefreshRow::after).
enum After : uint8_t {
    ZurRule = 1,         // going on also switches Zur AEC off
    NoiseZeroWhenOn = 2,  // going on sends the noise component mode 0
    NoiseCurrentMode = 4,  // any value sends the noise component its mode from the flags
    ZurWorker = 8,        // only a real change is stored, and it reaches the worker
    VoicePush = 16,       // on: the effect's voice setting is pushed and the flag set to 1
};

// The voice settings follow their effect's flag: a Magic Voice type 0 to 3 travels as one
// byte, type + 1; the echo as its 32-bit value.
constexpr RefreshRow kRefreshRows[] = {
    FlagRow(key::EncEnable, M::FlagEnc, kNoiseFamily, ZurRule),
    FlagRow(key::ZurAecEnable, M::FlagZurAec, uint16_t(Bit(M::FlagEnc) | kNoiseFamily), ZurWorker),
    FlagRow(key::MixOutputEnable, M::FlagMixOutput),
    FlagRow(key::NoiseReductionEnable, M::FlagNoiseReduction,
            uint16_t(Bit(M::FlagEnc) | Bit(M::FlagBeamForming) | Bit(M::FlagAec)), ZurRule | NoiseZeroWhenOn),
    FlagRow(key::BeamFormingEnable, M::FlagBeamForming, uint16_t(Bit(M::FlagEnc) | Bit(M::FlagNoiseReduction)),
            ZurRule | NoiseCurrentMode),
    FlagRow(key::AecEnable, M::FlagAec, uint16_t(Bit(M::FlagEnc) | Bit(M::FlagNoiseReduction)),
            ZurRule | NoiseCurrentMode),
    FlagRow(key::MagicVoiceEnable, M::FlagMagicVoice, 0, VoicePush),
    FlagRow(key::MicEchoEnable, M::FlagMicEcho, 0, VoicePush),
    PushRow(key::MagicVoiceType, M::SlotVoice, {Encoding::PlusOneByte, param::kMagicVoiceType, false, 0, 3},
            WhileOn(M::FlagMagicVoice)),
    PushRow(key::MicEchoAmount, M::SlotVoice, {Encoding::Word, param::kMicEcho, false, 0},
            WhileOn(M::FlagMicEcho)),
};

// The effects whose voice push (not only its read) decides a lock's status.
constexpr uint16_t kPushDecidesLock = Bit(M::FlagMicEcho);

// The push row of the voice setting that follows `flag`.
const RefreshRow& VoiceRow(uint8_t flag) {
    for (const RefreshRow& row : kRefreshRows)
        if (row.action == RefreshAction::Push && row.when.flag == flag) return row;
    return kRefreshRows[0];  // not reached: every voice flag has its row
}
}  // namespace

QXMicLFXLib::QXMicLFXLib(IUnknown* outer) : EffectProcessor(outer), ProcessingBase(kStreamRules) {}

QXMicLFXLib::~QXMicLFXLib() {
    // The worker goes first; then the components, buffers and converter as members.
    worker_.Stop();
    for (auto& slot : slots_) slot.Reset();
}

// ---- Initialize -------------------------------------------------------------------------

HRESULT QXMicLFXLib::Initialize(IUnknown* endpointStore) {
    if (!endpointStore) return E_POINTER;
    const HRESULT status = settings::ReadEndpointProperties(endpointStore, formFactor_);

    for (auto& slot : slots_) slot.Reset();
    worker_.Stop();

    // Creation depends only on the form factor, which an earlier call may have read.
    if (formFactor_ == kMicrophone) {
        for (const ComponentInfo& c : kComponents)
            settings::CreateEffectComponent(c.clsid, c.creationIid, slots_[c.slot]);
        worker_.Start(FlagValue(FlagZurAec));
    }

    if (FAILED(status)) return status;
    const bool anyComponent = std::any_of(std::begin(slots_), std::end(slots_), [](const auto& s) { return bool(s); });
    return anyComponent || worker_.Waiting() ? S_OK : E_NOINTERFACE;
}

// ---- LockForProcess ---------------------------------------------------------------------

HRESULT QXMicLFXLib::LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames,
                                    IUnknown* fxStore, UINT32 /*outFormatTag*/) {
    const HRESULT stream = LockStream(sampleRate, inChannels, outChannels, maxFrames);
    if (stream == E_INVALIDARG) return stream;
    // A failed allocation leaves no buffers and refuses periods; the settings are still
    // taken, and the next lock tries again.

    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    HRESULT status = ReadEnableFlags(store.Get(), kEnableKeys, nullptr, kFlagCount);
    status = InitializeComponents(store.Get(), status);
    worker_.Apply(FlagValue(FlagZurAec));
    return FAILED(stream) ? stream : status;
}

// Initializes the components and pushes their lock-time parameters. The status is that
// of the last step that counts: Mix Output's Initialize, the capture-path parameter of
// the noise component, the voice component's echo push or last read, ENC's Initialize.
HRESULT QXMicLFXLib::InitializeComponents(IPropertyStore* store, HRESULT status) {
    const WAVEFORMATEX format = Format(inChannels_);
    if (IQXEffectComponent* enc = slots_[SlotEnc].Get()) {
        uint32_t pathA = 0;
        bool counted = false;
        settings::ReadUIntStatus(store, key::CapturePathA, pathA, counted);
        status = enc->Initialize(&format, &format, internalFrames_, counted && pathA ? 1 : 0);
    }
    if (slots_[SlotVoice]) status = InitializeVoice(store, format, status);
    if (IQXEffectComponent* noise = slots_[SlotNoise].Get()) {
        noise->Initialize(&format, &format, internalFrames_, 0);
        HRESULT ignored = S_OK;
        SendNoiseMode(CurrentNoiseMode(), ignored);
        uint32_t pathB = 0;
        bool counted = false;
        settings::ReadUIntStatus(store, key::CapturePathB, pathB, counted);
        const BYTE on = counted && pathB ? 1 : 0;
        status = noise->SetParameter(param::kCapturePath, 1, &on);
    }
    if (IQXEffectComponent* mix = slots_[SlotMixOutput].Get())
        status = mix->Initialize(&format, nullptr, internalFrames_, 0);
    return status;
}

HRESULT QXMicLFXLib::InitializeVoice(IPropertyStore* store, const WAVEFORMATEX& format, HRESULT status) {
    slots_[SlotVoice]->Initialize(&format, &format, internalFrames_, 0);
    for (const RefreshRow& row : kRefreshRows) {
        if (row.action != RefreshAction::Push || !On(Flag(row.when.flag))) continue;
        HRESULT read = S_OK;
        const HRESULT last = PushVoiceSetting(row, store, &read);
        status = (kPushDecidesLock & (1u << row.when.flag)) ? last : read;
    }
    return status;
}

// ---- Process ----------------------------------------------------------------------------

bool QXMicLFXLib::Works(const Period& p) {
    for (const ChainStep& step : kChain)
        if (slots_[step.slot] && AnyOn(p.flags, step.flags) && (!step.stereoOnly || inChannels_ == 2)) return true;
    return false;
}

void QXMicLFXLib::RunChain(Period& p) {
    for (const ChainStep& step : kChain) {
        IQXEffectComponent* component = slots_[step.slot].Get();
        if (component && AnyOn(p.flags, step.flags)) p.status = RunInPlace(component, p.frames);
    }
}

HRESULT QXMicLFXLib::Process(const float* input, void* output, UINT32 frames) {
    return RunPeriod(input, output, frames);
}

// ---- Settings refresh -------------------------------------------------------------------

HRESULT QXMicLFXLib::OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) {
    if (!fxStore) return S_OK;
    if (!key) return E_POINTER;
    ComPtr<IPropertyStore> store;
    HRESULT status = fxStore->QueryInterface(IID_IPropertyStore, store.PutVoid());
    if (FAILED(status)) store.Reset();  // every read below then fails with E_POINTER
    const KeyId changed = settings::FromPropertyKey(*key);
    const RefreshRow* row = FindRefreshRow(kRefreshRows, changed);
    return row ? Refresh(*row, changed, store.Get(), slots_[row->slot].Get(), status) : status;
}

// A flag row's follow-ups (its rows follow up counted values only); returns the status of
// the last call made.
HRESULT QXMicLFXLib::FlagChanged(const RefreshRow& row, bool /*counted*/, uint32_t value, IPropertyStore* store,
                                 HRESULT status) {
    if ((row.after & ZurWorker) && value == FlagValue(FlagZurAec)) return status;
    if (row.after & VoicePush) {
        if (value) status = PushVoiceSetting(VoiceRow(row.slot), store, nullptr);
        StoreFlag(row.slot, value ? 1 : 0);
        return status;
    }
    StoreFlag(row.slot, value);
    if (row.after & ZurWorker) worker_.Apply(value);
    const bool on = value != 0;
    if ((row.after & NoiseZeroWhenOn) && on) SendNoiseMode(0, status);
    if (row.after & NoiseCurrentMode) SendNoiseMode(CurrentNoiseMode(), status);
    if (on) {
        ClearFlags(row.clearWhenOn);
        if (row.after & ZurRule) ApplyZurAecRule();
    }
    return status;
}

// Reads the setting and, when it counts and the voice component exists, pushes it.
// Returns the status of the last call; readStatus receives that of the read.
HRESULT QXMicLFXLib::PushVoiceSetting(const RefreshRow& row, IPropertyStore* store, HRESULT* readStatus) {
    return PushParameter(store, slots_[SlotVoice].Get(), {row.fmtid, row.firstPid}, row.rule, readStatus);
}

BYTE QXMicLFXLib::CurrentNoiseMode() const {
    return BYTE((On(FlagBeamForming) ? 1 : 0) + (On(FlagAec) ? 2 : 0));
}

void QXMicLFXLib::SendNoiseMode(BYTE mode, HRESULT& status) {
    if (IQXEffectComponent* noise = slots_[SlotNoise].Get()) status = noise->SetParameter(param::kNoiseMode, 1, &mode);
}

void QXMicLFXLib::ApplyZurAecRule() {
    if (!On(FlagZurAec)) return;
    StoreFlag(FlagZurAec, 0);
    worker_.Apply(0);
}

}  // namespace qx
