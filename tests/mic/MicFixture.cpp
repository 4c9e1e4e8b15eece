#include "tests/mic/MicFixture.h"

#include "frame/ComObject.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::test {

const wchar_t* const MicTest::kNames[ComponentCount] = {L"enc", L"voice", L"noise", L"mix"};

void MicTest::SetUp() {
    Register({Enc, Voice, Noise, Mix});
    fx_ = NewMemoryStore();
    processor_ = NewProcessor();
    ASSERT_TRUE(processor_);
}

void MicTest::TearDown() {
    processor_.Reset();
    Unregister();
}

void MicTest::Register(std::initializer_list<Component> which) {
    for (Component c : which) {
        const QXMicLFXLib::ComponentInfo& info = QXMicLFXLib::kComponents[c];
        registrations_[c] = std::make_unique<ComponentRegistration>(log_, info.clsid, info.creationIid, kNames[c]);
        ASSERT_TRUE(registrations_[c]->Registered());
    }
}

void MicTest::Unregister() {
    for (auto& r : registrations_) r.reset();
}

ComPtr<IQXEffectProcessor> MicTest::NewProcessor() {
    ComPtr<IQXEffectProcessor> p;
    EXPECT_EQ(S_OK, ComObjectRoot::Create<QXMicLFXLib>(nullptr, __uuidof(IQXEffectProcessor), p.PutVoid()));
    return p;
}

HRESULT MicTest::InitializeAs(uint32_t formFactor) {
    ComPtr<IPropertyStore> endpoint = NewEndpointStore(formFactor);
    return processor_->Initialize(endpoint.Get());
}

HRESULT MicTest::Lock(uint32_t rate, uint32_t in, uint32_t out, uint32_t maxFrames) {
    return processor_->LockForProcess(rate, in, out, maxFrames, fx_.Get(), 1);
}

HRESULT MicTest::Change(const settings::KeyId& key, uint32_t value) {
    PutUInt(fx_.Get(), key, value);
    return Notify(key);
}

HRESULT MicTest::Notify(const settings::KeyId& key) { return ReportChange(processor_.Get(), fx_.Get(), key); }

HRESULT MicTest::RunPeriod(uint32_t in, uint32_t out, uint32_t frames, std::vector<float>* output) {
    std::vector<float> input(size_t(in) * frames);
    for (size_t i = 0; i < input.size(); ++i) input[i] = float(i) * 0.001f;
    std::vector<float> local(size_t(out) * frames, -7.0f);
    std::vector<float>& dest = output ? *output : local;
    dest.assign(size_t(out) * frames, -7.0f);
    return processor_->Process(input.data(), dest.data(), frames);
}

std::vector<std::wstring> MicTest::ChainOfOnePeriod(uint32_t in, uint32_t out, uint32_t frames) {
    log_.Clear();
    RunPeriod(in, out, frames);
    return log_.ProcessOrder();
}

std::vector<std::pair<int, std::vector<uint8_t>>> MicTest::ParamsOf(Component c) const {
    std::vector<std::pair<int, std::vector<uint8_t>>> out;
    for (const ComponentCall& call : log_.CallsOf(kNames[c]))
        if (call.kind == ComponentCall::SetParameter) out.emplace_back(call.id, call.data);
    return out;
}

std::vector<uint8_t> Bytes(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

}  // namespace qx::test
