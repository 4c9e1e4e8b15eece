// The sample components through their COM contract: identity, creation, argument checks,
// parameters, self-registration; and what each does to a signal, measured from its output.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/components/SampleFx.h"

namespace qx::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

class ComponentContract : public SampleFxTest {};

TEST_F(ComponentContract, EveryClassKeepsTheContract) {
    const uint8_t zeros[240] = {};
    for (const ComponentId* id : kAll) {
        SCOPED_TRACE(id->Name());
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, SampleFx().GetClassObject(id->Clsid(), IID_IClassFactory, factory.PutVoid()));
        ComPtr<IUnknown> created, other;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, id->CreationIid(), created.PutVoid()));
        ComPtr<IQXEffectComponent> c;
        ASSERT_EQ(S_OK, created->QueryInterface(__uuidof(IQXEffectComponent), c.PutVoid()));
        const ComponentId& wrong = id == &kFlexBass ? kEqualizer : kFlexBass;
        EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, wrong.CreationIid(), other.PutVoid()));

        // Every parameter the global processor pushes, at its size; taken before Initialize too.
        for (const Param& p : id->params) {
            if (!p.id) break;
            EXPECT_EQ(S_OK, c->SetParameter(p.id, p.size, p.size ? zeros : nullptr)) << int(p.id);
        }

        // Planar float in place only; until then Process refuses.
        const WAVEFORMATEX f = FloatFormat(48000, 2);
        WAVEFORMATEX pcm = f;
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.wBitsPerSample = 16;
        EXPECT_EQ(E_INVALIDARG, c->Initialize(&pcm, nullptr, 480, 0));
        EXPECT_EQ(E_INVALIDARG, c->Initialize(&f, nullptr, 0, 0));
        EXPECT_EQ(E_POINTER, c->Initialize(nullptr, nullptr, 480, 0));
        float a[8] = {0.5f, 0.25f}, b[8] = {};
        float* table[8] = {a, b};
        EXPECT_EQ(E_UNEXPECTED, c->Process(table, reinterpret_cast<void* const*>(table), 8));
        EXPECT_EQ(S_OK, c->Initialize(&f, &f, 480, 0));
        EXPECT_EQ(E_POINTER, c->Process(nullptr, nullptr, 8));
        EXPECT_EQ(S_OK, c->Process(table, reinterpret_cast<void* const*>(table), 0));
    }
}

// Each row: a component, the parameters pushed, a tone with per-channel amplitudes, and
// the power gain in dB of the chosen channels over the last quarter of the run.
struct Push {
    BYTE id;
    Bytes data;
};
struct Response {
    const char* what;
    const ComponentId* id;
    std::vector<Push> pushes;
    double freq;
    std::vector<double> tone;  // amplitude per channel (the channel count)
    uint32_t firstMeasured, measured;
    double minDb, maxDb;
    uint32_t rate = 48000;
    double seconds = 1;
};
// A band update of the ten-band equalizer: the band's index, then its gain.
Bytes Band(uint8_t band, int32_t gain) { return Join({{band, 0, 0, 0}, Words({uint32_t(gain)})}); }
// The fifteen 16-byte filter records (on, frequency, gain, Q as a float) with the first
// two on at 1 kHz, +6 dB, Q 1.0 (0x3F800000).
const Bytes kTwoBands = Join({Words({1, 1000, 6, 0x3F800000, 1, 1000, 6, 0x3F800000}), Bytes(13 * 16, 0)});
const std::vector<double> kTone{0.1, 0.1}, kSix(6, 0.1), kCentred{0.3, 0.3}, kOpposite{0.3, -0.3},
    kCentre6{0, 0, 0.3, 0, 0, 0};
const Response kResponses[] = {
    {"EQ flat until told", &kEqualizer, {}, 250, kTone, 0, 1, -0.05, 0.05},
    {"EQ band update -6 dB", &kEqualizer, {{10, Band(3, -6)}}, 250, kTone, 1, 1, -6.5, -5.5},
    {"EQ gain from the low 16 bits", &kEqualizer, {{10, Band(3, 0x7FFF0003)}}, 250, kTone, 0, 1, 2.5, 3.5},
    {"EQ 30 Hz band, 44.1 kHz", &kEqualizer, {{10, Band(0, 12)}}, 30, kSix, 5, 1, 11.5, 12.5, 44100},
    {"15-band parallel adds boosts", &kEq15, {{39, kTwoBands}, {41, {0}}}, 1000, kTone, 0, 1, 9.04, 10.04},
    {"Flex Bass flat until told", &kFlexBass, {}, 60, kTone, 0, 1, -0.05, 0.05},
    {"Flex Bass +12 raises 60 Hz", &kFlexBass, {{13, Words({100})}, {15, Words({12})}}, 60, kTone, 0, 1, 6, 13},
    {"Flex Bass level held to 12", &kFlexBass, {{15, Words({40})}}, 20, kTone, 0, 1, 11, 13},
    {"Smart Volume raises quiet", &kSmartVolume, {}, 1000, {0.0316, 0.0316}, 0, 1, 6, 40, 48000, 4},
    {"Smart Volume lowers loud", &kSmartVolume, {}, 1000, {0.5, 0.5}, 0, 1, -40, -6, 48000, 4},
    {"Remover male band", &kVocalRemover, {{33, {0}}, {34, Words({48})}}, 300, kCentred, 0, 2, -99, -20},
    {"Remover keeps opposite phase", &kVocalRemover, {{33, {3}}, {34, Words({48})}}, 700, kOpposite, 0, 2, -0.01, 0.01},
    {"Remover amount 24 halves", &kVocalRemover, {{33, {3}}, {34, Words({24})}}, 500, kCentred, 0, 2, -6.12, -5.92},
    {"Remover low 16 bits", &kVocalRemover, {{33, {3}}, {34, Words({0x7FFF0030})}}, 500, kCentred, 0, 2, -999, -60},
    {"Remover centre channel", &kVocalRemover, {{33, {3}}, {34, Words({48})}}, 500, kCentre6, 2, 1, -999, -60},
    {"Fading 50", &kVocalFading, {{9, {50}}}, 1000, kCentred, 0, 2, -6.12, -5.92},
    {"Fading keeps opposite phase", &kVocalFading, {{9, {100}}}, 1000, kOpposite, 0, 2, -0.01, 0.01},
};

using Planar = std::vector<std::vector<float>>;

// Runs the channels through `c` in place, a period of 10 ms at a time.
void RunThrough(IQXEffectComponent* c, Planar& x, uint32_t rate) {
    const uint32_t period = rate / 100;
    for (size_t start = 0; start < x[0].size(); start += period) {
        float* table[8] = {};
        for (size_t ch = 0; ch < x.size(); ++ch) table[ch] = x[ch].data() + start;
        ASSERT_EQ(S_OK, c->Process(table, reinterpret_cast<void* const*>(table), period));
    }
}

// The energy of channels [first, first + count) from frame `from` to frame `to`.
double Energy(const Planar& x, size_t first, size_t count, size_t from, size_t to) {
    double sum = 0;
    for (size_t c = first; c < first + count; ++c)
        for (size_t i = from; i < to; ++i) sum += double(x[c][i]) * x[c][i];
    return sum;
}

TEST_F(ComponentContract, ResponsesMeasuredFromTheOutput) {
    for (const Response& r : kResponses) {
        SCOPED_TRACE(r.what);
        const uint16_t channels = uint16_t(r.tone.size());
        ComPtr<IQXEffectComponent> c = Make(*r.id, r.rate, channels);
        ASSERT_TRUE(c);
        for (const Push& p : r.pushes) ASSERT_EQ(S_OK, c->SetParameter(p.id, BYTE(p.data.size()), p.data.data()));
        const size_t frames = size_t(r.seconds * r.rate);
        Planar x(channels, std::vector<float>(frames));
        for (uint32_t ch = 0; ch < channels; ++ch)
            for (size_t i = 0; i < frames; ++i) x[ch][i] = float(r.tone[ch] * std::sin(2 * kPi * r.freq * i / r.rate));
        const double before = Energy(x, r.firstMeasured, r.measured, frames * 3 / 4, frames);
        RunThrough(c.Get(), x, r.rate);
        const double db = 10 * std::log10(Energy(x, r.firstMeasured, r.measured, frames * 3 / 4, frames) / before + 1e-30);
        EXPECT_GE(db, r.minDb);
        EXPECT_LE(db, r.maxDb);
    }
}

// The Environment reverb: an impulse on channel 0 leaves a tail on the other channels
// whose late part (after 0.3 s, against the first 0.1 s) grows with the room and the
// preset; the low-frequency channel stays dry; settings outside the lists fall back to
// the default preset and the small room.
TEST_F(ComponentContract, EnvironmentTailFollowsRoomAndPreset) {
    const auto impulse = [](uint8_t preset, uint8_t room, uint16_t channels) {
        ComPtr<IQXEffectComponent> c = Make(kEnvironment, 48000, channels, 1);
        const uint8_t settings[2] = {room, preset};
        EXPECT_EQ(S_OK, c->SetParameter(6, 2, settings));
        Planar x(channels, std::vector<float>(48000));
        x[0][0] = 1.0f;
        RunThrough(c.Get(), x, 48000);
        return x;
    };
    const auto lateDb = [&](uint8_t preset, uint8_t room) {
        const Planar x = impulse(preset, room, 2);
        return 10 * std::log10(Energy(x, 1, 1, 14400, 48000) / Energy(x, 1, 1, 0, 4800));
    };
    EXPECT_LT(lateDb(0, 0) + 3, lateDb(0, 1));
    EXPECT_LT(lateDb(0, 1) + 3, lateDb(0, 2));
    EXPECT_LT(lateDb(3, 1) + 3, lateDb(8, 1));  // room, concert hall
    EXPECT_EQ(impulse(28, 3, 2)[1], impulse(0, 0, 2)[1]);
    const Planar six = impulse(1, 1, 6);
    EXPECT_EQ(six[3], std::vector<float>(six[3].size(), 0.0f));
    for (uint32_t ch : {1u, 2u, 4u, 5u}) EXPECT_GT(*std::max_element(six[ch].begin(), six[ch].end()), 1e-4f) << ch;
}

// Registration goes to a scratch key standing in for HKEY_CLASSES_ROOT, so the test
// leaves the prefix's real registrations alone: every class is an in-process server of
// the DLL, both threading models, and unregistering (twice) leaves none.
TEST_F(ComponentContract, RegistersEveryClassAndUnregistersIt) {
    RegKey scratch;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QXTests\\SampleFxClasses", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, scratch.Put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.Get()));
    const auto read = [&](const ComponentId* id, const wchar_t* name) {
        wchar_t text[40], value[MAX_PATH] = {};
        StringFromGUID2(id->Clsid(), text, 40);
        DWORD bytes = sizeof(value);
        RegGetValueW(scratch.Get(), (std::wstring(L"CLSID\\") + text + L"\\InprocServer32").c_str(), name,
                     RRF_RT_REG_SZ, nullptr, value, &bytes);
        return std::wstring(value);
    };
    EXPECT_EQ(S_OK, SampleFx().Register());
    for (const ComponentId* id : kAll) {
        EXPECT_NE(read(id, nullptr).find(L"QXSampleFX.dll"), std::wstring::npos) << id->Name();
        EXPECT_EQ(read(id, L"ThreadingModel"), L"Both") << id->Name();
    }
    EXPECT_EQ(S_OK, SampleFx().Unregister());
    EXPECT_EQ(S_OK, SampleFx().Unregister());  // nothing left to remove is fine
    for (const ComponentId* id : kAll) EXPECT_EQ(read(id, nullptr), L"") << id->Name();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    scratch.Reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QXTests");
}

}  // namespace
}  // namespace qx::test
