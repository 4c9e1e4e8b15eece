#pragma once
// Shared set-up of the render local-effects tests: recording components under the seven
// component classes, an FX store, and a processor created and initialised on one
// endpoint, with helpers that run one period and read back what components saw.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

#include "common/ComPtr.h"
#include "common/UnknownObject.h"
#include "processors/IQXEffectProcessor.h"
#include "processors/LfxTables.h"
#include "settings/WinGuid.h"
#include "tests/support/Processors.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

namespace qx::test {

using settings::KeyId;
namespace key = settings::key;

using qx::ToGuid;

// Component names in the call log, by slot.
inline const wchar_t* const kLfxNames[lfx::kComponentClassCount] = {
    L"Nuvex", L"Shifter", L"Dolby", L"ProLogic", L"Sensation", L"Neo", L"Clarity"};

std::vector<uint8_t> FloatBytes(float value);
std::vector<uint8_t> NeoBytes(uint8_t dimension, float gain);
std::vector<uint8_t> SpeakerBytes(uint32_t speaker, float angle, float level);

// SetParameter as the component saw it.
struct Param {
    BYTE id;
    std::vector<uint8_t> data;
    bool operator==(const Param& o) const { return id == o.id && data == o.data; }
};
void PrintTo(const Param& p, std::ostream* os);

// The first sample of each of the eight buffers when a component's Process ran.
using Snapshot = std::array<float, 8>;

// A property store that passes everything to an inner store and notes the keys read.
class KeyLogStore : public UnknownObject<IPropertyStore> {
public:
    explicit KeyLogStore(IPropertyStore* inner) : inner_(inner) {}
    const std::vector<KeyId>& Reads() const { return reads_; }

    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override { return inner_->GetCount(count); }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD i, PROPERTYKEY* key) override { return inner_->GetAt(i, key); }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override {
        return inner_->SetValue(key, value);
    }
    HRESULT STDMETHODCALLTYPE Commit() override { return inner_->Commit(); }

private:
    ComPtr<IPropertyStore> inner_;
    std::vector<KeyId> reads_;
};

constexpr uint32_t kFrames = 64;
constexpr float kPad = 1e-12f;

class LfxTest : public testing::Test {
protected:
    void TearDown() override { lfx.Reset(); }

    void Register(std::initializer_list<uint8_t> slots = {0, 1, 2, 3, 4, 5, 6});
    void Create(uint32_t formFactor = settings::FormFactorHeadphones);
    HRESULT Lock(uint32_t in, uint32_t out, uint32_t rate = 48000, uint32_t frames = kFrames);
    void Put(const KeyId& key, uint32_t value) { PutUInt(fx.Get(), key, value); }
    HRESULT Refresh(const KeyId& key);
    HRESULT PutAndRefresh(const KeyId& key, uint32_t value) { return Put(key, value), Refresh(key); }

    ComponentBehaviour& Behaviour(uint8_t slot) { return regs[slot]->Behaviour(); }
    std::vector<ComponentCall> Inits(uint8_t slot) const;
    std::vector<Param> Params(uint8_t slot) const;
    // Records a snapshot each time the slot's component processes.
    void Watch(uint8_t slot);
    // Makes the slot's component write `values` into the first channels when it runs.
    void Writes(uint8_t slot, std::vector<float> values);

    // One period with input channel c holding InputValue(c); returns the output.
    std::vector<float> RunPeriod(HRESULT* status = nullptr, uint32_t frames = kFrames);
    static float InputValue(uint32_t channel) { return 0.1f * float(channel + 1); }

    CallLog log;
    std::unique_ptr<ComponentRegistration> regs[lfx::kComponentClassCount];
    ComPtr<IPropertyStore> fx = NewMemoryStore();
    ComPtr<IQXEffectProcessor> lfx;
    std::map<uint8_t, std::vector<Snapshot>> seen;
    uint32_t inChannels = 0;
    uint32_t outChannels = 0;
};

}  // namespace qx::test
