#pragma once
// A global-effects processor with recording components registered under every
// component class of the processor, an FX store to feed it and helpers to read what the
// components saw.
#include <windows.h>
#include <propsys.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "processors/IQXEffectProcessor.h"
#include "settings/EffectSchema.h"
#include "tests/support/Processors.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

namespace qx::test::gfx {

// Slot numbers of the processor's component table, as the tests name them.
enum Slot : int {
    Equalizer = 0,
    Eq15 = 1,
    KeyShifting = 2,
    VocalFading = 3,
    VocalRemover = 4,
    Environment = 5,
    FlexBass = 6,
    SmartVolume = 7,
    Ac3 = 8,
    Dts = 9,
    Monitor = 10,
    kComponentSlots = 11,
};

// The component name recorded in the call log for a slot.
const wchar_t* SlotName(int slot);
// The enable key of the effect in a slot (slots 0 to 7), or of swap 11 / 12.
settings::KeyId EnableKey(int slot);

ComPtr<IQXEffectProcessor> NewProcessor();

// Interleaved frames where sample (frame i, channel c) is 100 c + i + 1, scaled.
std::vector<float> Ramp(uint32_t channels, uint32_t frames, float scale = 0.001f);

// The bytes of 32-bit words in memory order.
std::vector<uint8_t> Words(std::initializer_list<uint32_t> words);

class GfxTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers every component except those listed; call before InitializeFor.
    void Unregister(std::initializer_list<int> slots);

    HRESULT InitializeFor(uint32_t formFactor);
    HRESULT Lock(uint32_t rate, uint32_t inChannels, uint32_t outChannels, uint32_t maxFrames,
                 uint32_t outputTag = 1);
    // Writes the flag into the FX store and reports the change.
    HRESULT SetEnable(const settings::KeyId& key, uint32_t value);
    HRESULT Changed(const settings::KeyId& key);

    // The instance of a slot's component the processor holds (the latest created).
    RecordingComponent* Component(int slot) const;
    ComponentBehaviour& Behaviour(int slot) { return registrations_[slot]->Behaviour(); }
    ComponentRegistration& Registration(int slot) { return *registrations_[slot]; }
    // SetParameter calls of a component since the last Clear of the log.
    std::vector<ComponentCall> ParametersOf(int slot) const;
    std::vector<ComponentCall> InitializeCallsOf(int slot) const;

    CallLog log_;
    ComPtr<IPropertyStore> fx_;
    ComPtr<IPropertyStore> endpoint_;
    ComPtr<IQXEffectProcessor> gfx_;

private:
    std::unique_ptr<ComponentRegistration> registrations_[kComponentSlots];
};

}  // namespace qx::test::gfx
