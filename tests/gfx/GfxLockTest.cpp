// What the components see when the format is locked: their formats, frame counts and
// flags, and the exact bytes of every parameter pushed to them.
#include "tests/gfx/GfxFixture.h"
#include "resample/SRCInternal.h"
#include "tests/support/WaveFormats.h"

namespace qx::test::gfx {
namespace {

namespace key = settings::key;
using Bytes = std::vector<uint8_t>;

struct Param {
    BYTE id;
    Bytes data;
};

std::vector<Param> Params(const std::vector<ComponentCall>& calls) {
    std::vector<Param> out;
    for (auto& c : calls) {
        EXPECT_EQ(c.size, c.data.size());
        out.push_back({c.id, c.data});
    }
    return out;
}

bool operator==(const Param& a, const Param& b) { return a.id == b.id && a.data == b.data; }
std::ostream& operator<<(std::ostream& os, const Param& p) {
    os << "(" << int(p.id) << ":";
    for (uint8_t b : p.data) os << " " << int(b);
    return os << ")";
}

// The frame count the converter makes of a block between two rates.
uint32_t InternalFrames(uint32_t rate, uint32_t internalRate, uint32_t frames) {
    SRCInternal src;
    uint32_t out = 0;
    src.Init(rate, internalRate, frames, &out, 2);
    return out;
}

TEST_F(GfxTest, EffectsAndMonitorAreInitializedWithTheWorkingFormats) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    Lock(48000, 6, 6, 480);
    std::vector<std::wstring> order;
    for (auto& c : log_.Calls(ComponentCall::Initialize)) order.push_back(c.component);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"Equalizer", L"Eq15", L"KeyShifting", L"VocalFading",
                                                L"VocalRemover", L"Environment", L"FlexBass", L"SmartVolume",
                                                L"Monitor"}));
    for (int slot = 0; slot < 8; ++slot) {
        auto calls = InitializeCallsOf(slot);
        ASSERT_EQ(calls.size(), 1u);
        ASSERT_TRUE(calls[0].hasIn && calls[0].hasOut);
        ExpectFloatFormat(calls[0].in, 48000, 6);
        ExpectFloatFormat(calls[0].out, 48000, 6);
        EXPECT_EQ(calls[0].maxFrames, 480u);
        EXPECT_EQ(calls[0].flag, slot == Environment ? 1u : 0u) << slot;
    }
    auto monitor = InitializeCallsOf(Monitor);
    ASSERT_EQ(monitor.size(), 1u);
    ExpectFloatFormat(monitor[0].in, 48000, 2);
    EXPECT_FALSE(monitor[0].hasOut);
    EXPECT_EQ(monitor[0].maxFrames, 480u);
}

TEST_F(GfxTest, ComponentsRunAtTheInternalRate) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    struct Case {
        uint32_t rate, internal;
    };
    for (Case c : {Case{44100, 44100}, Case{48000, 48000}, Case{96000, 48000}, Case{88200, 44100},
                   Case{32000, 48000}, Case{192000, 48000}, Case{22050, 44100}}) {
        log_.Clear();
        Lock(c.rate, 2, 2, 960);
        auto calls = InitializeCallsOf(Equalizer);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].in.nSamplesPerSec, c.internal) << c.rate;
        EXPECT_EQ(calls[0].maxFrames, InternalFrames(c.rate, c.internal, 960)) << c.rate;
        EXPECT_EQ(InitializeCallsOf(Monitor)[0].in.nSamplesPerSec, c.internal);
    }
}

TEST_F(GfxTest, LockPushesEveryDefaultWhenTheStoreIsEmpty) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    Lock(48000, 2, 2, 480);
    EXPECT_EQ(Params(ParametersOf(Equalizer)), (std::vector<Param>{{11, Bytes(40, 0)}}));
    EXPECT_EQ(Params(ParametersOf(Eq15)),
              (std::vector<Param>{{35, {0}}, {36, Bytes(8, 0)}, {37, {0}}, {38, Bytes(8, 0)}, {39, Bytes(240, 0)},
                                  {40, {0}}, {41, {0}}}));
    EXPECT_TRUE(ParametersOf(KeyShifting).empty());  // sent only when stored
    EXPECT_TRUE(ParametersOf(VocalFading).empty());
    EXPECT_EQ(Params(ParametersOf(VocalRemover)), (std::vector<Param>{{34, Bytes(4, 0)}, {33, {0}}}));
    EXPECT_EQ(Params(ParametersOf(Environment)), (std::vector<Param>{{6, {0, 0}}}));
    EXPECT_EQ(Params(ParametersOf(FlexBass)),
              (std::vector<Param>{{13, Words({100})}, {15, Words({0})}, {14, Words({0})}}));
    EXPECT_TRUE(ParametersOf(SmartVolume).empty());
    EXPECT_TRUE(ParametersOf(Monitor).empty());
}

TEST_F(GfxTest, LockPushesTheStoredSettingsInTheComponentsLayouts) {
    for (uint32_t band = 1; band <= 10; ++band) PutUInt(fx_.Get(), key::EqualizerBand(band), uint32_t(int32_t(band) - 6));
    const uint8_t bass[16] = {7, 0, 0, 0, 0x50, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0, 0, 0x80, 0x3F};
    PutBlob(fx_.Get(), key::Eq15Bass, bass, sizeof bass);
    Bytes bands(240);
    for (size_t i = 0; i < 240; ++i) bands[i] = uint8_t(i + 1);
    PutBlob(fx_.Get(), key::Eq15Bands, bands.data(), bands.size());
    PutUInt(fx_.Get(), key::Eq15PhaseMode, 0x100);  // nonzero, low byte 0: still "on"
    PutUInt(fx_.Get(), key::KeyShift, uint32_t(-3));
    PutUInt(fx_.Get(), key::VocalFadingAmount, 0x1234);
    PutUInt(fx_.Get(), key::VocalRemoverAmount, uint32_t(-48));
    PutUInt(fx_.Get(), key::VocalRemoverBand, 3);
    PutUInt(fx_.Get(), key::EnvironmentPreset, 27);
    PutUInt(fx_.Get(), key::EnvironmentRoomSize, 2);
    PutUInt(fx_.Get(), key::FlexBassCutoff, 250);
    PutUInt(fx_.Get(), key::FlexBassLevel, 24);
    PutUInt(fx_.Get(), key::FlexBassSpeakers, 0x603);

    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    Lock(44100, 2, 2, 441);

    EXPECT_EQ(Params(ParametersOf(Equalizer)),
              (std::vector<Param>{{11, Words({uint32_t(-5), uint32_t(-4), uint32_t(-3), uint32_t(-2), uint32_t(-1), 0,
                                              1, 2, 3, 4})}}));
    Bytes expectedBands = bands;
    for (size_t r = 0; r < 15; ++r) {  // the switch word becomes one byte and three zeros
        expectedBands[r * 16] = 1;
        expectedBands[r * 16 + 1] = expectedBands[r * 16 + 2] = expectedBands[r * 16 + 3] = 0;
    }
    EXPECT_EQ(Params(ParametersOf(Eq15)),
              (std::vector<Param>{{35, {1}},
                                  {36, Bytes(bass + 4, bass + 12)},
                                  {37, {0}},
                                  {38, Bytes(8, 0)},
                                  {39, expectedBands},
                                  {40, {1}},
                                  {41, {0}}}));
    EXPECT_EQ(Params(ParametersOf(KeyShifting)), (std::vector<Param>{{5, Words({uint32_t(-3)})}}));
    EXPECT_EQ(Params(ParametersOf(VocalFading)), (std::vector<Param>{{9, {0x34}}}));
    EXPECT_EQ(Params(ParametersOf(VocalRemover)), (std::vector<Param>{{34, Words({uint32_t(-48)})}, {33, {3}}}));
    EXPECT_EQ(Params(ParametersOf(Environment)), (std::vector<Param>{{6, {2, 27}}}));  // room size, then preset
    EXPECT_EQ(Params(ParametersOf(FlexBass)),
              (std::vector<Param>{{13, Words({250})}, {15, Words({12})}, {14, Words({0x603})}}));
}

TEST_F(GfxTest, LockFallsBackToDefaultsForValuesOfTheWrongForm) {
    PutBool(fx_.Get(), key::EqualizerBand(3), true);
    PutUInt(fx_.Get(), key::EqualizerBand(4), 9);
    const uint8_t record[17] = {1, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    PutBlob(fx_.Get(), key::Eq15Bass, record, 15);
    PutBlob(fx_.Get(), key::Eq15Treble, record, 17);
    Bytes bands(239, 1);
    PutBlob(fx_.Get(), key::Eq15Bands, bands.data(), bands.size());
    PutUInt(fx_.Get(), key::Eq15ParallelMode, 1);
    PutBool(fx_.Get(), key::Eq15PhaseMode, true);
    PutBool(fx_.Get(), key::KeyShift, true);
    PutString(fx_.Get(), key::VocalFadingAmount, L"50");
    PutBool(fx_.Get(), key::EnvironmentPreset, true);
    PutUInt(fx_.Get(), key::EnvironmentRoomSize, 1);
    PutBool(fx_.Get(), key::FlexBassCutoff, true);
    PutBool(fx_.Get(), key::FlexBassLevel, true);

    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    Lock(48000, 2, 2, 480);
    EXPECT_EQ(Params(ParametersOf(Equalizer)), (std::vector<Param>{{11, Words({0, 0, 0, 9, 0, 0, 0, 0, 0, 0})}}));
    EXPECT_EQ(Params(ParametersOf(Eq15)),
              (std::vector<Param>{{35, {0}}, {36, Bytes(8, 0)}, {37, {0}}, {38, Bytes(8, 0)}, {39, Bytes(240, 0)},
                                  {40, {0}}, {41, {1}}}));
    EXPECT_TRUE(ParametersOf(KeyShifting).empty());
    EXPECT_TRUE(ParametersOf(VocalFading).empty());
    EXPECT_EQ(Params(ParametersOf(Environment)), (std::vector<Param>{{6, {1, 0}}}));
    EXPECT_EQ(Params(ParametersOf(FlexBass)),
              (std::vector<Param>{{13, Words({100})}, {15, Words({0})}, {14, Words({0})}}));
}

TEST_F(GfxTest, AComponentThatFailsToInitializeGetsNoParametersButStillRuns) {
    Behaviour(Equalizer).initializeResult = E_FAIL;
    PutUInt(fx_.Get(), EnableKey(Equalizer), 1);
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    Lock(48000, 2, 2, 4);
    EXPECT_TRUE(ParametersOf(Equalizer).empty());
    EXPECT_FALSE(ParametersOf(Eq15).empty());
    std::vector<float> in = Ramp(2, 4), out(8);
    EXPECT_EQ(S_OK, gfx_->Process(in.data(), out.data(), 4));
    EXPECT_EQ(log_.ProcessOrder(), (std::vector<std::wstring>{L"Equalizer"}));
}

TEST_F(GfxTest, LockReadsEnableFlagsOnlyFromUnsignedValues) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    PutUInt(fx_.Get(), EnableKey(Environment), 7);
    PutUInt(fx_.Get(), EnableKey(FlexBass), 1);
    Lock(48000, 2, 2, 4);
    PutUInt(fx_.Get(), EnableKey(Environment), 0);
    PutBool(fx_.Get(), EnableKey(FlexBass), false);  // the wrong type leaves the flag on
    PutUInt(fx_.Get(), EnableKey(VocalFading), 1);
    Lock(48000, 2, 2, 4);
    log_.Clear();
    std::vector<float> in = Ramp(2, 4), out(8);
    gfx_->Process(in.data(), out.data(), 4);
    EXPECT_EQ(log_.ProcessOrder(), (std::vector<std::wstring>{L"VocalFading", L"FlexBass"}));
}

TEST_F(GfxTest, LockReturnsTheLastComponentOrReadStatus) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    Behaviour(Monitor).initializeResult = S_FALSE;
    EXPECT_EQ(S_FALSE, Lock(48000, 2, 2, 4));
    Behaviour(Monitor).initializeResult = E_FAIL;
    EXPECT_EQ(E_FAIL, Lock(48000, 2, 2, 4));

    // Without a store every read fails, but the components are still initialised.
    Behaviour(Monitor).initializeResult = S_OK;
    log_.Clear();
    EXPECT_EQ(S_OK, gfx_->LockForProcess(48000, 2, 2, 4, nullptr, 1));
    EXPECT_EQ(InitializeCallsOf(Equalizer).size(), 1u);
    EXPECT_EQ(Params(ParametersOf(FlexBass)),
              (std::vector<Param>{{13, Words({100})}, {15, Words({0})}, {14, Words({0})}}));
}

TEST_F(GfxTest, LockRefusesFormatsBeyondTheWorkingSet) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    log_.Clear();
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 9, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 9, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 0, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 0, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 2, 0));
    EXPECT_EQ(E_INVALIDARG, Lock(0, 2, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 2, 0xFFFFFFFFu));
    EXPECT_TRUE(log_.Calls().empty());
    std::vector<float> in(2), out(2);
    EXPECT_EQ(E_INVALIDARG, gfx_->Process(in.data(), out.data(), 1));  // never locked
}

TEST_F(GfxTest, EncoderIsInitializedWithTheBitstreamFormat) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    log_.Clear();
    EXPECT_EQ(1, Lock(96000, 2, 6, 960, 0xABCD0000u | 146));  // only the low 16 bits count
    auto calls = InitializeCallsOf(Ac3);
    ASSERT_EQ(calls.size(), 1u);
    ExpectFloatFormat(calls[0].in, 48000, 2);
    const WAVEFORMATEX& out = calls[0].out;
    EXPECT_EQ(out.wFormatTag, 146);
    EXPECT_EQ(out.nChannels, 6);
    EXPECT_EQ(out.nSamplesPerSec, 96000u);
    EXPECT_EQ(out.wBitsPerSample, 16);
    EXPECT_EQ(out.nBlockAlign, 12);
    EXPECT_EQ(out.nAvgBytesPerSec, 12u * 96000);
    EXPECT_EQ(out.cbSize, 0);
    EXPECT_EQ(calls[0].maxFrames, InternalFrames(96000, 48000, 960));
    EXPECT_TRUE(InitializeCallsOf(Dts).empty());

    log_.Clear();
    EXPECT_EQ(1, Lock(48000, 2, 2, 480, 356));  // asked as WMA over S/PDIF, written as DTS
    calls = InitializeCallsOf(Dts);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].out.wFormatTag, 8);
    EXPECT_TRUE(InitializeCallsOf(Ac3).empty());

    log_.Clear();
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480, 8));  // tag 8 itself engages nothing
    EXPECT_TRUE(InitializeCallsOf(Dts).empty());
}

}  // namespace
}  // namespace qx::test::gfx
