#pragma once
// Test access to QXSampleFX.dll, loaded from the test program's folder: its entry
// points, the classes it serves as the global processor creates them, and a fixture that
// ends every test with nothing of the DLL alive.
#include <windows.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ComPtr.h"
#include "host/InProcessServer.h"
#include "settings/IQXEffectComponent.h"
#include "tests/gfx/GfxHarness.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/WaveFormats.h"

namespace qx::test {

// A parameter a component takes, with the one size it accepts.
struct Param {
    BYTE id, size;
};
// One class as the global processor's contract names it, with its parameters.
struct ComponentId {
    gfx::Slot slot;
    Param params[7];
    const wchar_t* Name() const { return gfx::kClasses[slot].name; }
    CLSID Clsid() const { return ContractGuid(gfx::kClasses[slot].clsid); }
    IID CreationIid() const { return ContractGuid(gfx::kClasses[slot].iid); }  // the one the processor creates it by
};
inline constexpr ComponentId kEqualizer{gfx::Equalizer, {{10, 8}, {11, 40}}};
inline constexpr ComponentId kEq15{gfx::Eq15, {{35, 1}, {36, 8}, {37, 1}, {38, 8}, {39, 240}, {40, 1}, {41, 1}}};
inline constexpr ComponentId kVocalFading{gfx::VocalFading, {{9, 1}}};
inline constexpr ComponentId kVocalRemover{gfx::VocalRemover, {{33, 1}, {34, 4}}};
inline constexpr ComponentId kEnvironment{gfx::Environment, {{6, 2}}};
inline constexpr ComponentId kFlexBass{gfx::FlexBass, {{13, 4}, {14, 4}, {15, 4}}};
inline constexpr ComponentId kSmartVolume{gfx::SmartVolume, {{12, 0}}};
inline constexpr const ComponentId* kAll[] = {&kEqualizer,   &kEq15,     &kVocalFading, &kVocalRemover,
                                          &kEnvironment, &kFlexBass, &kSmartVolume};

inline const ServerLibrary& SampleFx() {
    static const ServerLibrary library(host::ProgramFolder() + L"QXSampleFX.dll");
    return library;
}

class SampleFxTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SampleFx().Loaded()) << "QXSampleFX.dll not found next to the test"; }
    void TearDown() override { EXPECT_EQ(S_OK, SampleFx().CanUnloadNow()) << "a sample component was leaked"; }

    // A component created as the global processor creates it (by its creation IID, then
    // queried for the component interface) and initialised in place for planar float at
    // `rate` with `channels` and periods of 10 ms.
    static ComPtr<IQXEffectComponent> Make(const ComponentId& id, uint32_t rate = 48000, uint16_t channels = 2,
                                           UINT32 flag = 0) {
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> created;
        ComPtr<IQXEffectComponent> c;
        if (SUCCEEDED(SampleFx().GetClassObject(id.Clsid(), IID_IClassFactory, factory.PutVoid())) &&
            SUCCEEDED(factory->CreateInstance(nullptr, id.CreationIid(), created.PutVoid())))
            created->QueryInterface(__uuidof(IQXEffectComponent), c.PutVoid());
        const WAVEFORMATEX f = FloatFormat(rate, channels);
        EXPECT_TRUE(c && c->Initialize(&f, &f, rate / 100, flag) == S_OK) << id.Name();
        return c;
    }
};

}  // namespace qx::test
