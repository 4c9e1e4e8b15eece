#pragma once
// Shared set-up of the capture processor tests: recording components registered under
// the four component classes, a capture processor, an FX store and small helpers.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "processors/IQXEffectProcessor.h"
#include "processors/QXMicLFXLib.h"
#include "settings/EffectSchema.h"
#include "tests/support/Processors.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

namespace qx::test {

class MicTest : public testing::Test {
protected:
    enum Component { Enc, Voice, Noise, Mix, ComponentCount };
    static const wchar_t* const kNames[ComponentCount];

    void SetUp() override;
    void TearDown() override;

    // Registers the given components (all four by SetUp) under their classes.
    void Register(std::initializer_list<Component> which);
    void Unregister();
    ComponentRegistration& Reg(Component c) { return *registrations_[c]; }

    static ComPtr<IQXEffectProcessor> NewProcessor();
    // Initialize with an endpoint store of the given form factor.
    HRESULT InitializeAs(uint32_t formFactor);
    HRESULT Lock(uint32_t rate, uint32_t in, uint32_t out, uint32_t maxFrames);
    // Writes a VT_UI4 into the FX store and reports the change.
    HRESULT Change(const settings::KeyId& key, uint32_t value);
    HRESULT Notify(const settings::KeyId& key);

    // One period of `frames` frames of a ramp; returns Process's status.
    HRESULT RunPeriod(uint32_t in, uint32_t out, uint32_t frames, std::vector<float>* output = nullptr);
    // The components whose Process ran in the last period (log cleared before).
    std::vector<std::wstring> ChainOfOnePeriod(uint32_t in, uint32_t out, uint32_t frames);
    // The SetParameter calls of one component as (id, bytes).
    std::vector<std::pair<int, std::vector<uint8_t>>> ParamsOf(Component c) const;

    CallLog log_;
    ComPtr<IPropertyStore> fx_;
    ComPtr<IQXEffectProcessor> processor_;

private:
    std::unique_ptr<ComponentRegistration> registrations_[ComponentCount];
};

std::vector<uint8_t> Bytes(uint32_t value);

}  // namespace qx::test
