#include "processors/QXLFXLib.h"

#include <algorithm>

#include "processors/ChannelMixer.h"
#include "processors/LfxParameters.h"
#include "processors/WaveFormats.h"
#include "settings/EffectComponent.h"
#include "settings/PropertyStoreAccess.h"
#include "settings/WinGuid.h"

namespace qx {

using namespace lfx;
using settings::KeyId;

namespace {
// A period before any lock is unexpected; an empty period runs like any other.
constexpr StreamRules kStreamRules{E_UNEXPECTED, false, true, false, false, true, false};

// Channels of the stream after a matrix up-mixer.
uint32_t UpMixedChannels(uint32_t outChannels) { return outChannels > 6 ? 8 : 6; }
}  // namespace

QXLFXLib::QXLFXLib(IUnknown* outer) : EffectProcessor(outer), ProcessingBase(kStreamRules) {}

QXLFXLib::~QXLFXLib() = default;

// ---------------------------------------------------------------------------------------
// Initialize

HRESULT QXLFXLib::Initialize(IUnknown* endpointStore) {
    if (!endpointStore) return E_POINTER;
    const HRESULT propertyStatus = settings::ReadEndpointProperties(endpointStore, formFactor_);
    CreateComponents();
    // Nuvex Surround Max needs no component, so there is always an effect to offer.
    return FAILED(propertyStatus) ? propertyStatus : S_OK;
}

void QXLFXLib::CreateComponents() {
    for (auto& slot : slots_) slot.Reset();
    for (uint8_t slot : kCreationOrder) {
        if (slot == SlotDolbySurround && formFactor_ == settings::FormFactorSpdif) continue;
        const ComponentClass& c = kComponentClasses[slot];
        settings::CreateEffectComponent(ToGuid(c.clsid), ToGuid(c.creationIid), slots_[slot]);
    }
}

// ---------------------------------------------------------------------------------------
// LockForProcess

HRESULT QXLFXLib::LockForProcess(UINT32 rate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames,
                                 IUnknown* fxStore, UINT32 /*outputTag: always PCM here*/) {
    if (const HRESULT hr = LockStream(rate, inChannels, outChannels, maxFrames); FAILED(hr)) return hr;

    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    LfxParameters params(slots_, store.Get());
    params.SetStatus(ReadEnableFlags(store.Get(), kEnableKeys, kFlagReadOrder, kFlagCount));
    if (outChannels > 2)
        SetUpUpMixers(params);
    else if (outChannels == 2)
        SetUpVirtualisers(params);
    SetUpVoiceAndShifter(params);
    return params.Status();
}

// More than two output channels: the matrix up-mixers. A 4-channel side is described to
// them as 6 channels, the layout it is padded to before they run.
void QXLFXLib::SetUpUpMixers(LfxParameters& params) {
    if (inChannels_ >= 8) return;  // nothing left to up-mix
    const WAVEFORMATEX in = Format(inChannels_ == 4 ? 6 : inChannels_);
    const WAVEFORMATEX out = Format(outChannels_ == 4 ? 6 : outChannels_);
    if (Has(SlotProLogic)) {
        slots_[SlotProLogic]->Initialize(&in, &out, internalFrames_, 0);
        params.PushSlotValues(SlotProLogic);
    }
    if (Has(SlotNeoPc)) {
        slots_[SlotNeoPc]->Initialize(&in, &out, internalFrames_, 0);
        params.PushSlotValues(SlotNeoPc);
    }
}

// Exactly two output channels: the virtualisers, each fed from 6 channels.
void QXLFXLib::SetUpVirtualisers(LfxParameters& params) {
    if (Has(SlotNuvex)) NuvexSetUp(params);
    if (Has(SlotDolbySurround)) SetUpDolbySurround(params);
    if (Has(SlotSurroundSensation)) SetUpSurroundSensation(params);
}

void QXLFXLib::SetUpDolbySurround(LfxParameters& params) {
    const uint32_t mode = params.ReadOr(settings::key::DolbySurroundMode, 1);
    const WAVEFORMATEX stereo = Format(2);
    const WAVEFORMATEX six = Format(6);
    if (inChannels_ == 2 && Has(SlotProLogic)) {
        // Pro Logic IIx becomes the stereo up-mixer in front of Dolby Surround.
        slots_[SlotProLogic]->Initialize(&stereo, &six, internalFrames_, mode);
        params.PushFixed(SlotProLogic, kDolbyUpMixerPushes, sizeof kDolbyUpMixerPushes / sizeof kDolbyUpMixerPushes[0]);
        const uint8_t headphone = mode ? 1 : 0;
        params.Push(SlotProLogic, param::kProLogicUpMixerMode, 1, &headphone);
    }
    slots_[SlotDolbySurround]->Initialize(&six, &stereo, internalFrames_, mode);
    params.PushSlotValues(SlotDolbySurround, mode);
}

void QXLFXLib::SetUpSurroundSensation(LfxParameters& params) {
    const WAVEFORMATEX stereo = Format(2);
    const WAVEFORMATEX six = Format(6);
    const bool upMixer = inChannels_ == 2 && Has(SlotNeoPc);
    if (upMixer) slots_[SlotNeoPc]->Initialize(&stereo, &six, internalFrames_, 0);
    slots_[SlotSurroundSensation]->Initialize(&six, &stereo, internalFrames_, upMixer ? 1 : 0);
    params.PushSlotValues(SlotSurroundSensation);
}

void QXLFXLib::SetUpVoiceAndShifter(LfxParameters& params) {
    if (Has(SlotVoiceClarity)) {
        const WAVEFORMATEX six = Format(6);
        slots_[SlotVoiceClarity]->Initialize(&six, &six, internalFrames_, 0);
        params.PushSlotValues(SlotVoiceClarity);
    }
    if (Has(SlotSpeakerShifter)) {
        const WAVEFORMATEX eight = Format(8);
        slots_[SlotSpeakerShifter]->Initialize(&eight, &eight, internalFrames_, 0);
        params.PushSlotValues(SlotSpeakerShifter);
    }
}

// Nuvex Surround takes the stereo stream as it is only when nothing up-mixes or pads it
// before (Nuvex Surround Max, Speaker Shifter); otherwise it is fed 6 channels.
HRESULT QXLFXLib::NuvexSetUp(LfxParameters& params) {
    const bool plainStereo = inChannels_ == 2 && !Flag(FlagNuvexMax) && !Flag(FlagSpeakerShifter);
    return params.NuvexSetUp(plainStereo ? 2 : 6, internalRate_, internalFrames_);
}

// ---------------------------------------------------------------------------------------
// OnPropertyChanged

HRESULT QXLFXLib::OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) {
    if (!fxStore) return S_OK;
    if (!key) return E_POINTER;
    const ComPtr<IPropertyStore> store = settings::QueryStore(fxStore);
    const KeyId changed = settings::FromPropertyKey(*key);
    const RefreshRow* row = FindRefreshRow(kRefreshRows, changed);
    if (!row) return RefreshValue(changed, store.Get());
    // Rows that act on a component read nothing without it.
    if (row->action != RefreshAction::StoreFlag && !Has(row->slot)) return S_OK;
    return Refresh(*row, changed, store.Get(), slots_[row->slot].Get(), S_OK);
}

// The flag, then the processor's own follow-up of the row; returns the last call's status.
HRESULT QXLFXLib::FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                              HRESULT status) {
    LfxParameters params(slots_, store);
    params.SetStatus(ProcessingBase::FlagChanged(row, counted, value, store, status));
    if (row.after & ReinitDolby) ReinitialiseDolbySurround(params, value);
    const bool stereoWithoutShifter = inChannels_ == 2 && !Flag(FlagSpeakerShifter);
    if (Has(SlotNuvex) && ((row.after & RedoNuvex) || ((row.after & RedoNuvexWhenStereo) && stereoWithoutShifter)))
        NuvexSetUp(params);
    return params.Status();
}

// A new Dolby Surround mode: the component is initialised again with the same pair of
// formats as at lock time (6 channels in, 2 out). It always folds a 6-channel layout
// into stereo, whatever the mode, and a lone stereo input format would misdescribe what
// Process hands it.
void QXLFXLib::ReinitialiseDolbySurround(LfxParameters& params, uint32_t mode) {
    const WAVEFORMATEX six = Format(6);
    const WAVEFORMATEX stereo = Format(2);
    slots_[SlotDolbySurround]->Initialize(&six, &stereo, internalFrames_, mode);
    if (Has(SlotProLogic) && inChannels_ == 2 && outChannels_ == 2) {
        const uint8_t headphone = mode ? 1 : 0;
        params.Push(SlotProLogic, param::kProLogicUpMixerMode, 1, &headphone);
    }
    params.PushSlotValues(SlotDolbySurround, mode);
}

HRESULT QXLFXLib::RefreshValue(const KeyId& key, IPropertyStore* store) {
    LfxParameters params(slots_, store);
    for (const KeyPush& row : kValuePushes) {
        if (row.time == PushTime::Lock || !RuleReads(row.rule, row.key, key)) continue;
        params.PushWhenRead(row);
        break;
    }
    return params.Status();
}

// ---------------------------------------------------------------------------------------
// Process: runs on the audio thread; allocates nothing and takes no lock.

HRESULT QXLFXLib::Process(const float* input, void* output, UINT32 frames) {
    return RunPeriod(input, output, frames);
}

void QXLFXLib::RunChain(Period& p) {
    RunUpMixers(p);
    RunVoiceClarity(p);
    RunSpeakerShifter(p);
    if (outChannels_ == 2) RunVirtualiser(p);
    if (p.channels != outChannels_) MixDown(block_.Table(), p.channels, outChannels_, p.frames);
}

bool QXLFXLib::Works(const Period& p) {
    const bool stereoOut = outChannels_ == 2;
    const bool multiOut = outChannels_ > 2;
    return p.On(FlagNuvexMax) || (Active(p, SlotNuvex) && stereoOut) || (Active(p, SlotDolbySurround) && stereoOut) ||
           (Active(p, SlotProLogic) && multiOut) || (Active(p, SlotNeoPc) && inChannels_ == 2 && multiOut) ||
           (Active(p, SlotSurroundSensation) && stereoOut) || Active(p, SlotVoiceClarity) ||
           Active(p, SlotSpeakerShifter);
}

// The matrix up-mixers, or else the processor's own up-mix (Nuvex Surround Max).
void QXLFXLib::RunUpMixers(Period& p) {
    float* const* table = block_.Table();
    bool upMixed = false;
    if (Active(p, SlotProLogic)) {
        const bool eightOut = outChannels_ == 8;
        // A 4-channel stream is padded to the 6-channel layout Pro Logic IIx was set up for.
        if (p.channels == 4 && eightOut) MixDown(table, 4, 6, p.frames);
        if (p.channels == 2 || ((p.channels == 4 || p.channels == 6) && eightOut)) {
            p.status = Run(SlotProLogic, p.frames);
            p.channels = UpMixedChannels(outChannels_);
            upMixed = true;
        }
    }
    if (Active(p, SlotNeoPc) && p.channels == 2 && outChannels_ > 2) {
        p.status = Run(SlotNeoPc, p.frames);
        p.channels = UpMixedChannels(outChannels_);
        upMixed = true;
    }
    if (!upMixed && p.On(FlagNuvexMax) && outChannels_ > p.channels) {
        p.status = HRESULT(MixUp(table, p.channels, outChannels_, p.frames));
        p.channels = outChannels_;
    }
}

// Voice Clarity works on the 6-channel layout: a narrower stream is padded for it and
// folded back afterwards.
void QXLFXLib::RunVoiceClarity(Period& p) {
    if (!Active(p, SlotVoiceClarity)) return;
    float* const* table = block_.Table();
    const uint32_t k = p.channels;
    if (k < 6) MixDown(table, k, 6, p.frames);
    p.status = Run(SlotVoiceClarity, p.frames);
    if (k < 6) MixDown(table, 6, k, p.frames);
}

// The Speaker Shifter works on 8 channels; a narrower stream is up-mixed when Nuvex
// Surround Max is on and padded otherwise.
void QXLFXLib::RunSpeakerShifter(Period& p) {
    if (!Active(p, SlotSpeakerShifter)) return;
    float* const* table = block_.Table();
    if (p.channels < 8) {
        if (p.On(FlagNuvexMax))
            MixUp(table, p.channels, 8, p.frames);
        else
            MixDown(table, p.channels, 8, p.frames);
        p.channels = 8;
    }
    p.status = Run(SlotSpeakerShifter, p.frames);
}

// Stereo output: the first enabled virtualiser folds the stream to two channels.
void QXLFXLib::RunVirtualiser(Period& p) {
    if (Active(p, SlotDolbySurround))
        RunVirtualiserWithUpMixer(p, SlotDolbySurround, SlotProLogic);
    else if (Active(p, SlotSurroundSensation))
        RunVirtualiserWithUpMixer(p, SlotSurroundSensation, SlotNeoPc);
    else if (Active(p, SlotNuvex))
        RunNuvex(p);
}

// A stereo stream reaches the virtualiser through its matrix up-mixer (whose status is
// not kept); without that component a stereo stream is left as it is.
void QXLFXLib::RunVirtualiserWithUpMixer(Period& p, uint8_t virtualiser, uint8_t upMixer) {
    if (p.channels == 2) {
        if (!Has(upMixer)) return;
        Run(upMixer, p.frames);
    } else if (p.channels != 6) {
        MixDown(block_.Table(), p.channels, 6, p.frames);
    }
    p.status = Run(virtualiser, p.frames);
    p.channels = 2;
}

void QXLFXLib::RunNuvex(Period& p) {
    float* const* table = block_.Table();
    if (p.channels == 2 && p.On(FlagNuvexMax))
        MixUp(table, 2, 6, p.frames);
    else if (p.channels != 2 && p.channels != 6)
        MixDown(table, p.channels, 6, p.frames);
    p.status = Run(SlotNuvex, p.frames);
    p.channels = 2;
}

// ---------------------------------------------------------------------------------------
// The hosted audio processing object

HRESULT QXLFXLib::HostedInitialize(UINT32 byteCount, BYTE* data) {
    return hosted_.Initialize(ToGuid(kDolbyPceeClsid), byteCount, data);
}

HRESULT QXLFXLib::HostedLockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs, UINT32 outCount,
                                       APO_CONNECTION_DESCRIPTOR** outputs) {
    return hosted_.LockForProcess(inCount, inputs, outCount, outputs);
}

HRESULT QXLFXLib::HostedUnlockForProcess() { return hosted_.UnlockForProcess(); }

HRESULT QXLFXLib::HostedProcess(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs, UINT32 outCount,
                                APO_CONNECTION_PROPERTY** outputs) {
    if (!Flag(FlagDolbyPcee)) return S_FALSE;
    return hosted_.Process(inCount, inputs, outCount, outputs);
}

}  // namespace qx
