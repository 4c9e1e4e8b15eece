#pragma once
// Capture local-effects processor: one microphone stream. Four effect components carry
// ENC, Noise Reduction, Beam Forming, AEC, Microphone Echo, Magic Voice and Mix Output;
// a worker thread switches the outside Zurarur echo canceller (Zur AEC).
#include <windows.h>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "processors/AecWorker.h"
#include "processors/EffectProcessor.h"
#include "processors/ProcessingBase.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

class QXMicLFXLib : public EffectProcessor<IQXMicLFXLib>, private ProcessingBase {
public:
    static constexpr uint32_t kSlotCount = 8;
    static constexpr uint32_t kFlagCount = 8;

    enum Slot : uint8_t { SlotEnc = 0, SlotVoice = 1, SlotNoise = 4, SlotMixOutput = 6 };
    enum Flag : uint8_t {
        FlagEnc = 0,
        FlagMagicVoice = 1,
        FlagMicEcho = 2,
        FlagNoiseReduction = 3,
        FlagBeamForming = 4,
        FlagAec = 5,
        FlagMixOutput = 6,
        FlagZurAec = 7,
    };

    // The components, in creation order: slot, class and the interface asked at creation.
    struct ComponentInfo {
        uint8_t slot;
        CLSID clsid;
        IID creationIid;
    };
    static constexpr ComponentInfo kComponents[] = {
        {SlotEnc,
         {0x29C23824, 0x0A78, 0x41D7, {0x82, 0x2B, 0xE0, 0x7A, 0xEC, 0x90, 0xB8, 0xF9}},
         {0x26AB0E01, 0xBFB6, 0x470B, {0xBA, 0xDE, 0xC1, 0xBF, 0x64, 0x63, 0x81, 0x78}}},
        {SlotVoice,
         {0x4DE3EA62, 0x07BA, 0x4EE5, {0x84, 0x5A, 0x09, 0x94, 0xF4, 0xE3, 0xE4, 0x81}},
         {0x335675DC, 0x35B7, 0x4F63, {0xA1, 0x2F, 0x48, 0x87, 0x62, 0xDB, 0x25, 0x93}}},
        {SlotNoise,
         {0x53C240C7, 0x8E89, 0x4F1B, {0x90, 0x04, 0xD1, 0x98, 0x0C, 0x47, 0x05, 0xBF}},
         {0x0DB487B1, 0x7058, 0x4CA0, {0xB1, 0x4E, 0xE9, 0xB3, 0x2F, 0xAF, 0xA6, 0x39}}},
        {SlotMixOutput,
         {0x45BB743B, 0x4FD2, 0x4B4A, {0xAE, 0x9A, 0xE0, 0x9E, 0x8C, 0x29, 0x8C, 0xFB}},
         {0xCFDEA0A4, 0xD558, 0x4191, {0x99, 0xB1, 0xB9, 0x3D, 0xCD, 0xBF, 0x3C, 0xDE}}},
    };

    explicit QXMicLFXLib(IUnknown* outer);
    ~QXMicLFXLib() override;

    HRESULT STDMETHODCALLTYPE Initialize(IUnknown* endpointStore) override;
    HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels,
                                             UINT32 maxFrames, IUnknown* fxStore, UINT32 outFormatTag) override;
    HRESULT STDMETHODCALLTYPE Process(const float* input, void* output, UINT32 frames) override;
    HRESULT STDMETHODCALLTYPE OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) override;

private:
    // LockForProcess steps.
    HRESULT InitializeComponents(IPropertyStore* store, HRESULT status);
    HRESULT InitializeVoice(IPropertyStore* store, const WAVEFORMATEX& format, HRESULT status);

    // Process steps.
    bool Works(const Period& p) override;
    void RunChain(Period& p) override;

    // Settings refresh.
    HRESULT FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                        HRESULT status) override;
    HRESULT PushVoiceSetting(const RefreshRow& row, IPropertyStore* store, HRESULT* readStatus);
    void SendNoiseMode(BYTE mode, HRESULT& status);
    BYTE CurrentNoiseMode() const;
    void ApplyZurAecRule();

    uint32_t FlagValue(Flag f) const { return ProcessingBase::Flag(f); }
    bool On(Flag f) const { return FlagValue(f) != 0; }

    ComPtr<IQXEffectComponent> slots_[kSlotCount];
    uint32_t formFactor_ = 10;  // no form factor read yet

    // Last, so that it is destroyed (and its thread stopped) first.
    AecWorker worker_;
};

}  // namespace qx
