#pragma once
// Test access to QXSampleFX.dll, loaded from the test program's folder: its four entry
// points, components created through its class factories, and planar signal helpers.
#include <windows.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "settings/IQXEffectComponent.h"
#include "tests/components/ComponentIds.h"
#include "tests/support/WaveFormats.h"

namespace qx::test {

class SampleFxLibrary {
public:
    SampleFxLibrary();
    bool Loaded() const { return bool(module_) && getClassObject_ && canUnloadNow_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const { return getClassObject_(clsid, riid, ppv); }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }

    // A component created as the global processor creates it: by its creation IID,
    // then queried for the component interface.
    ComPtr<IQXEffectComponent> Create(REFCLSID clsid, REFIID creationIid) const;

private:
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using NoArgFn = HRESULT(WINAPI*)();
    ModuleHandle module_;
    GetClassObjectFn getClassObject_ = nullptr;
    NoArgFn canUnloadNow_ = nullptr;
    NoArgFn register_ = nullptr;
    NoArgFn unregister_ = nullptr;
};

// The library shared by the tests of this program.
const SampleFxLibrary& SampleFx();

// Planar channels of one signal, run through a component period by period.
class PlanarSignal {
public:
    PlanarSignal(uint32_t channels, size_t frames) : data_(channels, std::vector<float>(frames, 0.0f)) {}
    uint32_t Channels() const { return uint32_t(data_.size()); }
    size_t Frames() const { return data_.empty() ? 0 : data_[0].size(); }
    std::vector<float>& operator[](uint32_t c) { return data_[c]; }
    const std::vector<float>& operator[](uint32_t c) const { return data_[c]; }

    // Adds a sine of the given peak amplitude to one channel.
    void AddTone(uint32_t channel, double rate, double freq, double amplitude);
    // Runs the component over the whole signal in periods; every call must succeed.
    void Run(IQXEffectComponent* component, uint32_t period);

private:
    std::vector<std::vector<float>> data_;
};

double Rms(const std::vector<float>& x, size_t from, size_t to);
// Runs one second of a tone (the same on every channel) through an initialised
// component and returns the steady-state gain in dB of the given channel.
double ToneGainDb(IQXEffectComponent* component, uint32_t rate, uint32_t channels, double freq, uint32_t channel = 0);
inline double Db(double ratio) { return 20 * std::log10(ratio); }
inline double Amplitude(double db) { return std::pow(10.0, db / 20); }

// The 32-bit little-endian value of a parameter block.
inline void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Every test ends with no object or factory of the DLL alive.
class SampleFxTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SampleFx().Loaded()) << "QXSampleFX.dll not found next to the test"; }
    void TearDown() override { EXPECT_EQ(S_OK, SampleFx().CanUnloadNow()) << "a sample component was leaked"; }

    // A component initialised in place for planar float at `rate` with `channels` and
    // periods of 10 ms; a failed creation or initialisation fails the test.
    static ComPtr<IQXEffectComponent> Make(const ids::ComponentId& id, uint32_t rate = 48000, uint16_t channels = 2,
                                           UINT32 flag = 0);
};

}  // namespace qx::test
