#include "tests/lfx/LfxFixture.h"

#include <ostream>

#include "processors/QXLFXLib.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::test {

std::vector<uint8_t> FloatBytes(float value) {
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

std::vector<uint8_t> NeoBytes(uint8_t dimension, float gain) {
    std::vector<uint8_t> bytes = {dimension, 0, 0, 0};
    const auto g = FloatBytes(gain);
    bytes.insert(bytes.end(), g.begin(), g.end());
    return bytes;
}

std::vector<uint8_t> SpeakerBytes(uint32_t speaker, float angle, float level) {
    std::vector<uint8_t> bytes(12);
    std::memcpy(bytes.data(), &speaker, 4);
    std::memcpy(bytes.data() + 4, &angle, 4);
    std::memcpy(bytes.data() + 8, &level, 4);
    return bytes;
}

void PrintTo(const Param& p, std::ostream* os) {
    *os << "{" << int(p.id) << ":";
    for (uint8_t b : p.data) *os << " " << int(b);
    *os << "}";
}

HRESULT KeyLogStore::GetValue(REFPROPERTYKEY key, PROPVARIANT* value) {
    reads_.push_back(settings::FromPropertyKey(key));
    return inner_->GetValue(key, value);
}

void LfxTest::Register(std::initializer_list<uint8_t> slots) {
    for (uint8_t slot : slots) {
        const lfx::ComponentClass& c = lfx::kComponentClasses[slot];
        regs[slot] = std::make_unique<ComponentRegistration>(log, ToGuid(c.clsid), ToGuid(c.creationIid),
                                                             kLfxNames[slot]);
        ASSERT_TRUE(regs[slot]->Registered());
    }
}

void LfxTest::Create(uint32_t formFactor) {
    ASSERT_EQ(S_OK, ComObjectRoot::Create<QXLFXLib>(nullptr, __uuidof(IQXEffectProcessor), lfx.PutVoid()));
    ComPtr<IPropertyStore> endpoint = NewEndpointStore(formFactor);
    ASSERT_EQ(S_OK, lfx->Initialize(endpoint.Get()));
}

HRESULT LfxTest::Lock(uint32_t in, uint32_t out, uint32_t rate, uint32_t frames) {
    inChannels = in;
    outChannels = out;
    log.Clear();
    return lfx->LockForProcess(rate, in, out, frames, fx.Get(), 1);
}

HRESULT LfxTest::Refresh(const KeyId& key) { return ReportChange(lfx.Get(), fx.Get(), key); }

std::vector<ComponentCall> LfxTest::Inits(uint8_t slot) const {
    std::vector<ComponentCall> out;
    for (const ComponentCall& c : log.CallsOf(kLfxNames[slot]))
        if (c.kind == ComponentCall::Initialize) out.push_back(c);
    return out;
}

std::vector<Param> LfxTest::Params(uint8_t slot) const {
    std::vector<Param> out;
    for (const ComponentCall& c : log.CallsOf(kLfxNames[slot]))
        if (c.kind == ComponentCall::SetParameter) out.push_back({c.id, c.data});
    return out;
}

void LfxTest::Watch(uint8_t slot) {
    Behaviour(slot).onProcess = [this, slot](float* const* in, void* const*, UINT32) {
        Snapshot s;
        for (int c = 0; c < 8; ++c) s[c] = in[c][0];
        seen[slot].push_back(s);
    };
}

void LfxTest::Writes(uint8_t slot, std::vector<float> values) {
    Behaviour(slot).onProcess = [values](float* const* in, void* const*, UINT32 frames) {
        for (size_t c = 0; c < values.size(); ++c)
            for (UINT32 i = 0; i < frames; ++i) in[c][i] = values[c];
    };
}

std::vector<float> LfxTest::RunPeriod(HRESULT* status, uint32_t frames) {
    std::vector<float> input(size_t(frames) * inChannels);
    for (size_t i = 0; i < input.size(); ++i) input[i] = InputValue(uint32_t(i % inChannels));
    std::vector<float> output(size_t(frames) * outChannels, -7.0f);  // -7: never written
    const HRESULT hr = lfx->Process(input.data(), output.data(), frames);
    if (status) *status = hr;
    return output;
}

}  // namespace qx::test
