#include "processors/QXMicLFXLib.h"

#include <mmreg.h>

#include <algorithm>
#include <iterator>

#include "processors/InternalRate.h"
#include "settings/EffectComponent.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

namespace key = settings::key;
using settings::KeyId;

namespace {

constexpr uint8_t Bit(QXMicLFXLib::Flag f) { return uint8_t(1u << f); }

constexpr uint32_t kMicrophone = settings::FormFactorMicrophone;

// Parameters pushed to the components.
constexpr BYTE kParamMagicVoiceType = 7;
constexpr BYTE kParamEcho = 8;
constexpr BYTE kParamNoiseMode = 31;     // 1: Beam Forming, +2: AEC, 0: Noise Reduction
constexpr BYTE kParamCapturePath = 32;

// The enable key of each flag, in flag order (the order in which a lock reads them).
constexpr KeyId kEnableKeys[QXMicLFXLib::kFlagCount] = {
    key::EncEnable,       key::MagicVoiceEnable, key::MicEchoEnable,   key::NoiseReductionEnable,
    key::BeamFormingEnable, key::AecEnable,      key::MixOutputEnable, key::ZurAecEnable,
};

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

bool AnyOn(const uint32_t (&flags)[QXMicLFXLib::kFlagCount], uint8_t mask) {
    for (uint32_t f = 0; f < QXMicLFXLib::kFlagCount; ++f)
        if ((mask & (1u << f)) && flags[f]) return true;
    return false;
}

}  // namespace

// A setting of the voice component that follows its effect's enable flag.
struct QXMicLFXLib::VoiceSetting {
    Flag flag;
    KeyId valueKey;
    BYTE parameter;
    bool isType;          // a Magic Voice type 0 to 3, sent as one byte type + 1; else the 32-bit value
    bool pushIsLockStatus;  // whether the push (not only the read) decides a lock's status
};

namespace {
constexpr QXMicLFXLib::VoiceSetting kMagicVoice{QXMicLFXLib::FlagMagicVoice, key::MagicVoiceType,
                                                kParamMagicVoiceType, true, false};
constexpr QXMicLFXLib::VoiceSetting kMicEcho{QXMicLFXLib::FlagMicEcho, key::MicEchoAmount, kParamEcho, false, true};
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

QXMicLFXLib::QXMicLFXLib(IUnknown* outer) : EffectProcessor(outer) {}

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
        worker_.Start(flags_[FlagZurAec].load());
    }

    if (FAILED(status)) return status;
    const bool anyComponent = std::any_of(std::begin(slots_), std::end(slots_), [](const auto& s) { return bool(s); });
    return anyComponent || worker_.Waiting() ? S_OK : E_NOINTERFACE;
}

// ---- LockForProcess ---------------------------------------------------------------------

HRESULT QXMicLFXLib::LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames,
                                    IUnknown* fxStore, UINT32 /*outFormatTag*/) {
    if (sampleRate == 0 || maxFrames == 0 || inChannels == 0 || inChannels > kChannelCount || outChannels == 0 ||
        outChannels > kChannelCount)
        return E_INVALIDARG;

    inChannels_ = inChannels;
    outChannels_ = outChannels;
    maxFrames_ = maxFrames;
    PlanRates(sampleRate, maxFrames);

    uint32_t working = std::max(maxFrames, internalFrames_);
    if (working == 441) working = 480;
    // A failed allocation leaves no buffers; the next lock tries again.
    const bool buffersReady = buffers_.Reserve(working);

    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    HRESULT status = ReadEnableFlags(store.Get());
    status = InitializeComponents(store.Get(), status);
    worker_.Apply(flags_[FlagZurAec].load());

    return buffersReady ? status : E_OUTOFMEMORY;
}

void QXMicLFXLib::PlanRates(uint32_t sampleRate, uint32_t maxFrames) {
    streamRate_ = sampleRate;
    internalRate_ = InternalRateFor(sampleRate);
    internalFrames_ = maxFrames;
    if (internalRate_ == sampleRate) return;
    converter_.Init(sampleRate, internalRate_, maxFrames, &internalFrames_, uint8_t(inChannels_));
}

// Reads every enable key in flag order; a value that counts sets its flag to 0 or 1.
// Returns the status of the last read.
HRESULT QXMicLFXLib::ReadEnableFlags(IPropertyStore* store) {
    HRESULT status = E_POINTER;
    for (uint32_t f = 0; f < kFlagCount; ++f) {
        uint32_t value = 0;
        bool counted = false;
        status = settings::ReadUIntStatus(store, kEnableKeys[f], value, counted);
        if (counted) StoreFlag(Flag(f), value ? 1 : 0);
    }
    return status;
}

WAVEFORMATEX QXMicLFXLib::WorkingFormat() const {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = WORD(inChannels_);
    format.nSamplesPerSec = internalRate_;
    format.wBitsPerSample = 32;
    format.nBlockAlign = WORD(inChannels_ * sizeof(float));
    format.nAvgBytesPerSec = format.nBlockAlign * internalRate_;
    format.cbSize = 0;
    return format;
}

// Initializes the components and pushes their lock-time parameters. The status is that
// of the last step that counts: Mix Output's Initialize, the capture-path parameter of
// the noise component, the voice component's echo push or last read, ENC's Initialize.
HRESULT QXMicLFXLib::InitializeComponents(IPropertyStore* store, HRESULT status) {
    const WAVEFORMATEX format = WorkingFormat();
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
        status = noise->SetParameter(kParamCapturePath, 1, &on);
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

bool QXMicLFXLib::WantsWork(const uint32_t (&flags)[kFlagCount]) const {
    for (const ChainStep& step : kChain)
        if (slots_[step.slot] && AnyOn(flags, step.flags) && (!step.stereoOnly || inChannels_ == 2)) return true;
    return false;
}

HRESULT QXMicLFXLib::RunChain(const uint32_t (&flags)[kFlagCount], uint32_t frames) {
    HRESULT status = 1;
    // The effects work in place: the same table is their input and their output.
    float* const* table = buffers_.Table();
    void* const* out = reinterpret_cast<void* const*>(table);
    for (const ChainStep& step : kChain) {
        IQXEffectComponent* component = slots_[step.slot].Get();
        if (component && AnyOn(flags, step.flags)) status = component->Process(table, out, frames);
    }
    return status;
}

HRESULT QXMicLFXLib::Process(const float* input, void* output, UINT32 frames) {
    // Each flag is read once for the whole period.
    uint32_t flags[kFlagCount];
    for (uint32_t f = 0; f < kFlagCount; ++f) flags[f] = flags_[f].load(std::memory_order_relaxed);
    if (!WantsWork(flags)) return 1;
    if (!input || !output) return E_POINTER;
    if (maxFrames_ == 0) return E_UNEXPECTED;  // never locked
    if (buffers_.Capacity() == 0) return E_OUTOFMEMORY;  // the lock could not allocate them
    if (frames > maxFrames_) return E_INVALIDARG;

    // The buffers are not cleared: channels at or above inChannels keep what they held.
    float* const* table = buffers_.Table();
    SplitInterleaved(input, inChannels_, frames, table);

    const bool convert = internalRate_ != streamRate_;
    uint32_t period = frames;
    if (convert) {
        for (uint32_t c = 0; c < inChannels_; ++c) converter_.Process(table[c], c, frames, SRCInternal::Forward);
        period = internalFrames_;
    }

    const HRESULT status = RunChain(flags, period);

    if (convert) {
        for (uint32_t c = 0; c < outChannels_; ++c)
            converter_.Process(table[c], c, internalFrames_, SRCInternal::Reverse);
    }

    InterleavePlanar(table, outChannels_, frames, static_cast<float*>(output));
    return status;
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
    if (value == flags_[FlagZurAec].load()) return;
    StoreFlag(FlagZurAec, value);
    worker_.Apply(value);
    if (value) ClearFlags(row.clearWhenOn);
}

// Reads the setting and, when it counts and the voice component exists, pushes it.
// Returns the status of the last call; readStatus receives that of the read.
HRESULT QXMicLFXLib::PushVoiceSetting(const VoiceSetting& setting, IPropertyStore* store, HRESULT* readStatus) {
    uint32_t value = 0;
    bool counted = false;
    const HRESULT read = settings::ReadUIntStatus(store, setting.valueKey, value, counted);
    if (readStatus) *readStatus = read;
    IQXEffectComponent* voice = slots_[SlotVoice].Get();
    if (!counted || !voice) return read;
    if (!setting.isType) return voice->SetParameter(setting.parameter, sizeof value, &value);
    if (value > 3) return read;
    const BYTE type = BYTE(value + 1);
    return voice->SetParameter(setting.parameter, 1, &type);
}

BYTE QXMicLFXLib::CurrentNoiseMode() const {
    return BYTE((On(FlagBeamForming) ? 1 : 0) + (On(FlagAec) ? 2 : 0));
}

void QXMicLFXLib::SendNoiseMode(BYTE mode, HRESULT& status) {
    if (IQXEffectComponent* noise = slots_[SlotNoise].Get()) status = noise->SetParameter(kParamNoiseMode, 1, &mode);
}

void QXMicLFXLib::ApplyZurAecRule() {
    if (!On(FlagZurAec)) return;
    StoreFlag(FlagZurAec, 0);
    worker_.Apply(0);
}

void QXMicLFXLib::ClearFlags(uint8_t mask) {
    for (uint32_t f = 0; f < kFlagCount; ++f)
        if (mask & (1u << f)) StoreFlag(Flag(f), 0);
}

}  // namespace qx
