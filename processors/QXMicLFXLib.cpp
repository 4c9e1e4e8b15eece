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

constexpr uint8_t Bit(QXMicLFXLib::Flag f) { return uint8_t(1u << f); }

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
    uint8_t flags;
    bool stereoOnly;
};
constexpr ChainStep kChain[] = {
    {QXMicLFXLib::SlotEnc, Bit(QXMicLFXLib::FlagEnc), true},
    {QXMicLFXLib::SlotNoise,
     Bit(QXMicLFXLib::FlagNoiseReduction) | Bit(QXMicLFXLib::FlagBeamForming) | Bit(QXMicLFXLib::FlagAec), false},
    {QXMicLFXLib::SlotVoice, Bit(QXMicLFXLib::FlagMagicVoice) | Bit(QXMicLFXLib::FlagMicEcho), false},
    {QXMicLFXLib::SlotMixOutput, Bit(QXMicLFXLib::FlagMixOutput), false},
};

bool AnyOn(const uint32_t* flags, uint8_t mask) {
    for (uint32_t f = 0; f < QXMicLFXLib::kFlagCount; ++f)
        if ((mask & (1u << f)) && flags[f]) return true;
    return false;
}

}  // namespace

// A setting of the voice component that follows its effect's enable flag.
struct QXMicLFXLib::VoiceSetting {
    Flag flag;
    KeyId valueKey;
    PushRule rule;
    bool pushIsLockStatus;  // whether the push (not only the read) decides a lock's status
};

namespace {
// A Magic Voice type 0 to 3 travels as one byte, type + 1; the echo as its 32-bit value.
constexpr QXMicLFXLib::VoiceSetting kMagicVoice{
    QXMicLFXLib::FlagMagicVoice, key::MagicVoiceType, {Encoding::PlusOneByte, param::kMagicVoiceType, false, 0, 3},
    false};
constexpr QXMicLFXLib::VoiceSetting kMicEcho{QXMicLFXLib::FlagMicEcho, key::MicEchoAmount,
                                             {Encoding::Word, param::kMicEcho, false, 0}, true};
constexpr const QXMicLFXLib::VoiceSetting* kVoiceSettings[] = {&kMagicVoice, &kMicEcho};
}  // namespace

// What a changed key does.
struct QXMicLFXLib::RefreshRow {
    enum Action : uint8_t {
        StoreFlag,    // store the flag; the noise family also sends the mode and excludes others
        ZurAec,       // store and apply to the worker only on a change
        VoiceEnable,  // on: push the setting and set the flag to 1; off: clear the flag
        VoiceValue,   // push the setting while the effect is on
    };
    enum NoisePush : uint8_t { NoPush, ZeroWhenOn, CurrentMode };

    KeyId key;
    Action action;
    Flag flag;
    uint8_t clearWhenOn;  // flags that go off when this one goes on
    bool zurRule;         // going on also switches Zur AEC off
    NoisePush noise;
    const VoiceSetting* voice;
};

namespace {
using Row = QXMicLFXLib::RefreshRow;
using M = QXMicLFXLib;
constexpr uint8_t kNoiseFamily = Bit(M::FlagNoiseReduction) | Bit(M::FlagBeamForming) | Bit(M::FlagAec);

constexpr Row kRefreshRows[] = {
    {key::EncEnable, Row::StoreFlag, M::FlagEnc, kNoiseFamily, true, Row::NoPush, nullptr},
    {key::ZurAecEnable, Row::ZurAec, M::FlagZurAec, uint8_t(Bit(M::FlagEnc) | kNoiseFamily), false, Row::NoPush,
     nullptr},
    {key::MixOutputEnable, Row::StoreFlag, M::FlagMixOutput, 0, false, Row::NoPush, nullptr},
    {key::NoiseReductionEnable, Row::StoreFlag, M::FlagNoiseReduction,
     uint8_t(Bit(M::FlagEnc) | Bit(M::FlagBeamForming) | Bit(M::FlagAec)), true, Row::ZeroWhenOn, nullptr},
    {key::BeamFormingEnable, Row::StoreFlag, M::FlagBeamForming, uint8_t(Bit(M::FlagEnc) | Bit(M::FlagNoiseReduction)),
     true, Row::CurrentMode, nullptr},
    {key::AecEnable, Row::StoreFlag, M::FlagAec, uint8_t(Bit(M::FlagEnc) | Bit(M::FlagNoiseReduction)), true,
     Row::CurrentMode, nullptr},
    {key::MagicVoiceEnable, Row::VoiceEnable, M::FlagMagicVoice, 0, false, Row::NoPush, &kMagicVoice},
    {key::MicEchoEnable, Row::VoiceEnable, M::FlagMicEcho, 0, false, Row::NoPush, &kMicEcho},
    {key::MagicVoiceType, Row::VoiceValue, M::FlagMagicVoice, 0, false, Row::NoPush, &kMagicVoice},
    {key::MicEchoAmount, Row::VoiceValue, M::FlagMicEcho, 0, false, Row::NoPush, &kMicEcho},
};
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
    for (const VoiceSetting* setting : kVoiceSettings) {
        if (!On(setting->flag)) continue;
        HRESULT read = S_OK;
        const HRESULT last = PushVoiceSetting(*setting, store, &read);
        status = setting->pushIsLockStatus ? last : read;
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
    for (const RefreshRow& row : kRefreshRows)
        if (settings::SameKey(*key, row.key)) return Refresh(row, store.Get(), status);
    return status;
}

// Acts on one changed key; returns the status of the last call made.
HRESULT QXMicLFXLib::Refresh(const RefreshRow& row, IPropertyStore* store, HRESULT status) {
    if (row.action == RefreshRow::VoiceValue)
        return On(row.flag) ? PushVoiceSetting(*row.voice, store, nullptr) : status;

    uint32_t value = 0;
    bool counted = false;
    status = settings::ReadUIntStatus(store, row.key, value, counted);
    if (!counted) return status;

    switch (row.action) {
    case RefreshRow::StoreFlag:
        return RefreshFlag(row, value, status);
    case RefreshRow::ZurAec:
        RefreshZurAec(row, value);
        return status;
    case RefreshRow::VoiceEnable:
        if (!value) {
            StoreFlag(row.flag, 0);
            return status;
        }
        status = PushVoiceSetting(*row.voice, store, nullptr);
        StoreFlag(row.flag, 1);
        return status;
    case RefreshRow::VoiceValue:
        break;
    }
    return status;
}

HRESULT QXMicLFXLib::RefreshFlag(const RefreshRow& row, uint32_t value, HRESULT status) {
    StoreFlag(row.flag, value);
    const bool on = value != 0;
    if (row.noise == RefreshRow::ZeroWhenOn && on) SendNoiseMode(0, status);
    if (row.noise == RefreshRow::CurrentMode) SendNoiseMode(CurrentNoiseMode(), status);
    if (on) {
        ClearFlags(row.clearWhenOn);
        if (row.zurRule) ApplyZurAecRule();
    }
    return status;
}

// Only a real change reaches the worker, and Zur AEC going on excludes the noise family.
void QXMicLFXLib::RefreshZurAec(const RefreshRow& row, uint32_t value) {
    if (value == FlagValue(FlagZurAec)) return;
    StoreFlag(FlagZurAec, value);
    worker_.Apply(value);
    if (value) ClearFlags(row.clearWhenOn);
}

// Reads the setting and, when it counts and the voice component exists, pushes it.
// Returns the status of the last call; readStatus receives that of the read.
HRESULT QXMicLFXLib::PushVoiceSetting(const VoiceSetting& setting, IPropertyStore* store, HRESULT* readStatus) {
    return PushParameter(store, slots_[SlotVoice].Get(), setting.valueKey, setting.rule, readStatus);
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
