#include "tests/gfx/GfxFixture.h"

#include <cstring>

#include "frame/ComObject.h"
#include "processors/QXGFXLib.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::test::gfx {

namespace {
struct ComponentClass {
    const wchar_t* name;
    CLSID clsid;
    IID iid;
};

// Written out here rather than taken from the processor, so a wrong identifier in the
// processor's table shows up as a missing component.
const ComponentClass kClasses[kComponentSlots] = {
    {L"Equalizer",
     {0xEB09C38E, 0x23DD, 0x48A8, {0x89, 0xE4, 0x4F, 0x12, 0xF3, 0xCC, 0x5A, 0xE7}},
     {0x4BE71351, 0x495E, 0x472C, {0x91, 0x20, 0x0F, 0x3C, 0x19, 0x89, 0x92, 0x92}}},
    {L"Eq15",
     {0xCB1DB2F4, 0x3364, 0x48DF, {0xAD, 0xB0, 0x53, 0x75, 0xC1, 0x21, 0x0C, 0x7A}},
     {0x7FDAC3E4, 0x0EB3, 0x4910, {0xAF, 0xBE, 0x52, 0xE4, 0x2A, 0x95, 0xE5, 0xC7}}},
    {L"KeyShifting",
     {0x4B8D75E2, 0x712F, 0x4263, {0x9E, 0x68, 0x59, 0x65, 0x31, 0x3D, 0xDF, 0x09}},
     {0x874B6143, 0x853B, 0x47AB, {0x86, 0x18, 0x26, 0x3A, 0x8F, 0x28, 0x5F, 0x8C}}},
    {L"VocalFading",
     {0x3E7B4824, 0xFFB3, 0x4A07, {0x8A, 0xC3, 0xA2, 0x20, 0xCD, 0x85, 0x34, 0xC5}},
     {0x77EFACE7, 0xE768, 0x45F3, {0x83, 0x4D, 0x29, 0x86, 0xEC, 0x87, 0x8B, 0x95}}},
    {L"VocalRemover",
     {0x62224D1A, 0xECC7, 0x4752, {0xAC, 0x8A, 0x9A, 0x3B, 0x1A, 0x29, 0x89, 0x4A}},
     {0xCA9B25CC, 0x1567, 0x4AD0, {0xB5, 0xAD, 0x82, 0x94, 0x29, 0xE5, 0xDE, 0x25}}},
    {L"Environment",
     {0x4D0A31C2, 0xCFF9, 0x4626, {0xB8, 0xAE, 0xE8, 0xBC, 0x98, 0xD6, 0x60, 0x84}},
     {0x605EE47D, 0x6327, 0x41CF, {0x9E, 0xBF, 0x80, 0x94, 0xB0, 0xC1, 0xD1, 0xEF}}},
    {L"FlexBass",
     {0x37A6AA01, 0xA5D2, 0x4955, {0xA6, 0x78, 0x89, 0xD7, 0x6B, 0x1B, 0x86, 0x97}},
     {0x4FAA831A, 0x32B0, 0x45BE, {0xBC, 0x94, 0x66, 0xFD, 0xA1, 0xBF, 0xF9, 0x0D}}},
    {L"SmartVolume",
     {0xF5311147, 0xD9A9, 0x4750, {0x9F, 0x1C, 0xB7, 0x08, 0xBD, 0x06, 0x89, 0xB1}},
     {0x720E3044, 0xEE69, 0x46D1, {0xA1, 0xD7, 0xFF, 0x46, 0xC6, 0xAC, 0x91, 0x76}}},
    {L"AC3",
     {0x1A074404, 0x3D7B, 0x49D6, {0xB1, 0x15, 0xAC, 0x45, 0x9B, 0xF0, 0x33, 0xE7}},
     {0x6172F9FC, 0x3AEA, 0x4254, {0xAC, 0x18, 0xE7, 0x70, 0xB0, 0x41, 0xC9, 0xC7}}},
    {L"DTS",
     {0x88A5ABC0, 0xF5B3, 0x492D, {0xAD, 0x5F, 0x23, 0x0D, 0xDB, 0x7F, 0x7E, 0xDC}},
     {0x4F56074F, 0x024D, 0x4088, {0x85, 0x7E, 0xE8, 0xD3, 0xC3, 0xD0, 0xC0, 0x68}}},
    {L"Monitor",
     {0x745979CD, 0x0146, 0x4FB5, {0x8F, 0xD3, 0x28, 0x5B, 0x9B, 0x7B, 0x49, 0x05}},
     {0x241B8849, 0xE376, 0x4DBF, {0xB1, 0x33, 0xA0, 0x19, 0x9B, 0x4A, 0x4A, 0x7D}}},
};
}  // namespace

const wchar_t* SlotName(int slot) { return kClasses[slot].name; }

settings::KeyId EnableKey(int slot) {
    namespace key = settings::key;
    switch (slot) {
        case Equalizer: return key::EqualizerEnable;
        case Eq15: return key::Eq15Enable;
        case KeyShifting: return key::KeyShiftingEnable;
        case VocalFading: return key::VocalFadingEnable;
        case VocalRemover: return key::VocalRemoverEnable;
        case Environment: return key::EnvironmentEnable;
        case FlexBass: return key::FlexBassEnable;
        case SmartVolume: return key::SmartVolumeEnable;
        case 11: return key::SwapCenterSubEnable;
        default: return key::SwapSideRearEnable;
    }
}

ComPtr<IQXEffectProcessor> NewProcessor() {
    ComPtr<IQXEffectProcessor> p;
    EXPECT_EQ(S_OK, ComObjectRoot::Create<QXGFXLib>(nullptr, __uuidof(IQXEffectProcessor), p.PutVoid()));
    return p;
}

std::vector<float> Ramp(uint32_t channels, uint32_t frames, float scale) {
    std::vector<float> v(size_t(channels) * frames);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c) v[size_t(i) * channels + c] = float(100 * c + i + 1) * scale;
    return v;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    size_t at = 0;
    for (uint32_t w : words) std::memcpy(&bytes[at], &w, 4), at += 4;
    return bytes;
}

void GfxTest::SetUp() {
    for (int slot = 0; slot < kComponentSlots; ++slot)
        registrations_[slot] =
            std::make_unique<ComponentRegistration>(log_, kClasses[slot].clsid, kClasses[slot].iid, kClasses[slot].name);
    fx_ = NewMemoryStore();
    gfx_ = NewProcessor();
}

void GfxTest::TearDown() {
    gfx_.Reset();
    for (auto& r : registrations_) {
        if (!r) continue;
        EXPECT_TRUE(r->AllReleasedByOthers()) << "a reference to a component was kept";
        r.reset();
    }
}

void GfxTest::Unregister(std::initializer_list<int> slots) {
    for (int slot : slots) registrations_[slot].reset();
}

HRESULT GfxTest::InitializeFor(uint32_t formFactor) {
    endpoint_ = NewEndpointStore(formFactor);
    return gfx_->Initialize(endpoint_.Get());
}

HRESULT GfxTest::Lock(uint32_t rate, uint32_t inChannels, uint32_t outChannels, uint32_t maxFrames,
                      uint32_t outputTag) {
    return gfx_->LockForProcess(rate, inChannels, outChannels, maxFrames, fx_.Get(), outputTag);
}

HRESULT GfxTest::SetEnable(const settings::KeyId& key, uint32_t value) {
    PutUInt(fx_.Get(), key, value);
    return Changed(key);
}

HRESULT GfxTest::Changed(const settings::KeyId& key) { return ReportChange(gfx_.Get(), fx_.Get(), key); }

RecordingComponent* GfxTest::Component(int slot) const {
    const ComponentRegistration* r = registrations_[slot].get();
    if (!r || r->InstanceCount() == 0) return nullptr;
    return r->Instance(r->InstanceCount() - 1);
}

std::vector<ComponentCall> GfxTest::ParametersOf(int slot) const {
    std::vector<ComponentCall> out;
    for (auto& c : log_.CallsOf(SlotName(slot)))
        if (c.kind == ComponentCall::SetParameter) out.push_back(c);
    return out;
}

std::vector<ComponentCall> GfxTest::InitializeCallsOf(int slot) const {
    std::vector<ComponentCall> out;
    for (auto& c : log_.CallsOf(SlotName(slot)))
        if (c.kind == ComponentCall::Initialize) out.push_back(c);
    return out;
}

}  // namespace qx::test::gfx
