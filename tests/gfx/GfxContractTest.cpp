// The global-effects processor against its contract, written out here once: the
// component classes it creates per endpoint, the formats it accepts, the parameter
// bytes each setting reaches its component as, and what one period writes.
#include "tests/gfx/GfxHarness.h"

namespace qx::test::gfx {
namespace {

const Names kOnSpeakers = {L"Equalizer", L"Eq15",     L"KeyShifting", L"VocalFading", L"VocalRemover",
                           L"Environment", L"FlexBass", L"SmartVolume", L"Monitor"};
const Names kOnSpdif = {L"Equalizer",   L"Eq15",        L"KeyShifting", L"VocalFading", L"VocalRemover",
                        L"Environment", L"SmartVolume", L"AC3",         L"DTS"};

TEST_F(GfxTest, EachEndpointGetsItsComponents) {
    const struct {
        uint32_t formFactor;  // 0: no form factor in the store
        Names held;
        HRESULT dts, ac3;  // IsEncodedFormatSupported(8) / (146)
    } rows[] = {{kSpeakers, kOnSpeakers, E_NOINTERFACE, E_NOINTERFACE},
                {0, kOnSpeakers, E_NOINTERFACE, E_NOINTERFACE},
                {kSpdif, kOnSpdif, S_OK, S_OK}};
    for (const auto& row : rows) {
        EXPECT_EQ(S_OK, Init(row.formFactor));
        EXPECT_EQ(Held(), row.held);
        EXPECT_EQ(row.dts, p_->IsEncodedFormatSupported(8));
        EXPECT_EQ(row.ac3, p_->IsEncodedFormatSupported(146));
        EXPECT_EQ(E_NOINTERFACE, p_->IsEncodedFormatSupported(356));
    }
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 4));
    ASSERT_EQ(S_OK, Set(EnableKey(Equalizer), 1));
    ASSERT_EQ(S_OK, Init(kSpeakers));  // new components; the flags stay
    EXPECT_EQ(S_OK, Run(2, 2, 4));
    Drop(L"DTS");
    EXPECT_EQ(S_OK, Init(kSpdif));
    EXPECT_EQ(E_NOINTERFACE, p_->IsEncodedFormatSupported(8));
    EXPECT_EQ(E_POINTER, p_->Initialize(nullptr));
    EXPECT_EQ(E_NOINTERFACE, p_->Initialize(p_.Get()));  // no property store: nothing created
    EXPECT_EQ(Held(), Names{});
    for (const ContractComponent& c : kClasses) Drop(c.name);
    EXPECT_EQ(E_NOINTERFACE, Init(kSpeakers));
    Put(U(EnableKey(Equalizer), 1));
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 4));  // the status of the last enable-key read
    EXPECT_EQ(E_POINTER, p_->LockForProcess(48000, 2, 2, 4, nullptr, 1));
    EXPECT_EQ(1, Run(2, 2, 4));
}

// ---- lock: formats accepted and refused, and what the components are initialised with ----

TEST_F(GfxTest, LockAcceptsWorkingFormatsAndInitialisesAtTheInternalRate) {
    std::vector<float> in(2), out(2);
    EXPECT_EQ(E_INVALIDARG, p_->Process(in.data(), out.data(), 1));  // never locked
    ExpectLocks({{48000, 6, 6, 480, S_OK, 48000, 480},  {44100, 2, 2, 441, S_OK, 44100, 441},
                 {96000, 2, 2, 960, S_OK, 48000, 480},  {88200, 2, 2, 882, S_OK, 44100, 441},
                 {192000, 8, 8, 1920, S_OK, 48000, 480}, {32000, 2, 2, 320, S_OK, 48000, 320},
                 {48000, 9, 2, 480, E_INVALIDARG},      {48000, 2, 9, 480, E_INVALIDARG},
                 {48000, 0, 2, 480, E_INVALIDARG},      {48000, 2, 0, 480, E_INVALIDARG},
                 {48000, 2, 2, 0, E_INVALIDARG},        {0, 2, 2, 480, E_INVALIDARG},
                 {48000, 2, 2, (1u << 20) + 1, E_INVALIDARG}});
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    for (const ComponentCall& c : log_.Calls(ComponentCall::Initialize)) {
        EXPECT_EQ(c.flag, c.component == L"Environment" ? 1u : 0u);
        EXPECT_EQ(c.hasOut, c.component != L"Monitor");
        if (c.hasOut) ExpectFloatFormat(c.out, 48000, 2);
    }
}

TEST_F(GfxTest, EncoderIsInitialisedWithTheBitstreamFormatOrDropped) {
    ASSERT_EQ(S_OK, Init(kSpdif));
    EXPECT_EQ(S_FALSE, Lock(96000, 2, 6, 960, 0xABCD0000u | 146));  // only the low 16 bits count
    const ComponentCall ac3 = Inits(L"AC3").at(0);
    const WAVEFORMATEX& e = ac3.out;
    EXPECT_EQ((std::vector<uint32_t>{e.wFormatTag, e.nChannels, e.nSamplesPerSec, e.wBitsPerSample, e.nBlockAlign,
                                     e.nAvgBytesPerSec, e.cbSize}),
              (std::vector<uint32_t>{146, 6, 96000, 16, 12, 12 * 96000, 0}));
    ExpectFloatFormat(ac3.in, 48000, 2);
    EXPECT_EQ(ac3.maxFrames, 480u);
    log_.Clear();
    EXPECT_EQ(S_FALSE, Lock(48000, 2, 2, 480, 356));  // asked as WMA over S/PDIF, written as DTS
    EXPECT_EQ(Inits(L"DTS").at(0).out.wFormatTag, 8);
    EXPECT_TRUE(Inits(L"AC3").empty());
    log_.Clear();
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480, 8));  // tag 8 itself engages nothing
    EXPECT_TRUE(Inits(L"DTS").empty());
    Behaviour(L"AC3").initializeResult = E_FAIL;
    EXPECT_EQ(S_OK, Init(kSpdif));
    EXPECT_EQ(E_FAIL, Lock(48000, 2, 2, 8, 146));
    EXPECT_EQ(E_NOINTERFACE, p_->IsEncodedFormatSupported(146));  // released
    EXPECT_EQ(1, Run(2, 2, 8));                                     // written as PCM: nothing on
}

TEST_F(GfxTest, LockStatusIsTheLastComponentCall) {
    Behaviour(L"Monitor").initializeResult = S_FALSE;
    EXPECT_EQ(S_FALSE, Lock(48000, 2, 2, 4));
    Behaviour(L"Monitor").initializeResult = E_FAIL;
    EXPECT_EQ(E_FAIL, Lock(48000, 2, 2, 4));
    // A component that is not ready misses its parameters but still runs.
    Behaviour(L"Equalizer").initializeResult = E_FAIL;
    Put(U(EnableKey(Equalizer), 1));
    log_.Clear();
    Lock(48000, 2, 2, 4);
    for (const Push& push : PushesSince()) EXPECT_NE(push.component, L"Equalizer");
    EXPECT_EQ(S_OK, Run(2, 2, 4));
    EXPECT_EQ(log_.ProcessOrder(), Names{L"Equalizer"});
}

// ---- pushes: a store's values -> the SetParameter calls, at lock or on one change ----

const KeyId kEqFmt = Key("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}", 0);
KeyId Eq(uint32_t pid) { return {kEqFmt.fmtid, pid}; }
const KeyId kKeyShift = Key("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}", 3);
const KeyId kFadingAmount = Key("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}", 1);
const KeyId kRemoverAmount = Key("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}", 5);
const KeyId kRemoverBand = Key("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}", 6);
const KeyId kEnvPreset = Key("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}", 1);
const KeyId kEnvRoom = Key("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}", 2);
const KeyId kBassCutoff = Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 1);
const KeyId kBassSpeakers = Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 2);
const KeyId kBassLevel = Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 6);
constexpr KeyId kLock = {};  // the row is a lock, not a change

Bytes Record(uint32_t on, uint32_t a, uint32_t b) { return Words({on, a, b, 0}); }
Bytes Bands(uint32_t seed) {  // 15 records of four words; every third one switched off
    Bytes out;
    for (uint32_t r = 0; r < 15; ++r) out = Join({out, Words({r % 3 ? seed + r : 0, 100 + r, seed - r, r * 7})});
    return out;
}
Bytes BandsAsSent(uint32_t seed) {  // the switch word becomes one byte followed by three zeros
    Bytes out;
    for (uint32_t r = 0; r < 15; ++r) out = Join({out, Bytes{uint8_t(r % 3 ? 1 : 0), 0, 0, 0}, Words({100 + r, seed - r, r * 7})});
    return out;
}

struct PushRow {
    const char* what;
    std::vector<Value> store;
    KeyId changed;
    Pushes expected;
    HRESULT status = S_OK;
};

const PushRow kPushes[] = {
    {"lock sends stored values in the components' layouts",
     {U(Eq(1), uint32_t(-5)), U(Eq(2), uint32_t(-4)), U(Eq(3), uint32_t(-3)), U(Eq(4), uint32_t(-2)),
      U(Eq(5), uint32_t(-1)), U(Eq(6), 0), U(Eq(7), 1), U(Eq(8), 2), U(Eq(9), 3), U(Eq(10), 4),
      B(Eq(12), Record(7, 0x50, uint32_t(-3))), B(Eq(14), Bands(9)), U(Eq(15), 0x100), U(kKeyShift, uint32_t(-3)),
      U(kFadingAmount, 0x1234), U(kRemoverAmount, uint32_t(-48)), U(kRemoverBand, 3), U(kEnvPreset, 27),
      U(kEnvRoom, 2), U(kBassCutoff, 250), U(kBassLevel, 24), U(kBassSpeakers, 0x603)},
     kLock,
     {{L"Equalizer", 11, Words({uint32_t(-5), uint32_t(-4), uint32_t(-3), uint32_t(-2), uint32_t(-1), 0, 1, 2, 3, 4})},
      {L"Eq15", 35, {1}}, {L"Eq15", 36, Words({0x50, uint32_t(-3)})},
      {L"Eq15", 37, {0}}, {L"Eq15", 38, Bytes(8, 0)}, {L"Eq15", 39, BandsAsSent(9)}, {L"Eq15", 40, {1}},
      {L"Eq15", 41, {0}}, {L"KeyShifting", 5, Words({uint32_t(-3)})}, {L"VocalFading", 9, {0x34}},
      {L"VocalRemover", 34, Words({uint32_t(-48)})}, {L"VocalRemover", 33, {3}}, {L"Environment", 6, {2, 27}},
      {L"FlexBass", 13, Words({250})}, {L"FlexBass", 15, Words({12})}, {L"FlexBass", 14, Words({0x603})}}},
    {"lock falls back to defaults for values missing or of the wrong form",
     {Wrong(Eq(3)), U(Eq(4), 9), B(Eq(12), Bytes(15, 1)), B(Eq(13), Bytes(17, 1)), B(Eq(14), Bytes(239, 1)),
      Wrong(Eq(15)), U(Eq(16), 1), Wrong(kKeyShift), Wrong(kFadingAmount), Wrong(kEnvPreset), U(kEnvRoom, 1),
      Wrong(kBassCutoff), Wrong(kBassLevel)},
     kLock,
     {{L"Equalizer", 11, Words({0, 0, 0, 9, 0, 0, 0, 0, 0, 0})}, {L"Eq15", 35, {0}}, {L"Eq15", 36, Bytes(8, 0)},
      {L"Eq15", 37, {0}}, {L"Eq15", 38, Bytes(8, 0)}, {L"Eq15", 39, Bytes(240, 0)}, {L"Eq15", 40, {0}},
      {L"Eq15", 41, {1}}, {L"VocalRemover", 34, Words({0})}, {L"VocalRemover", 33, {0}},
      {L"Environment", 6, {1, 0}}, {L"FlexBass", 13, Words({100})}, {L"FlexBass", 15, Words({0})},
      {L"FlexBass", 14, Words({0})}}},
    // Each band change names its band by index from 0 and carries the stored gain.
    {"band 1", {U(Eq(1), uint32_t(-12))}, Eq(1), {{L"Equalizer", 10, Join({{0, 0, 0, 0}, Words({uint32_t(-12)})})}}},
    {"band 10", {U(Eq(10), 12)}, Eq(10), {{L"Equalizer", 10, Join({{9, 0, 0, 0}, Words({12})})}}},
    {"a band of the wrong type", {Wrong(Eq(5))}, Eq(5), {}},
    {"bass", {B(Eq(12), Record(0x100, 80, 4))}, Eq(12), {{L"Eq15", 35, {1}}, {L"Eq15", 36, Words({80, 4})}}},
    {"treble of the wrong size", {B(Eq(13), Bytes(12, 1))}, Eq(13), {{L"Eq15", 37, {0}}, {L"Eq15", 38, Bytes(8, 0)}}},
    {"fifteen bands", {B(Eq(14), Bands(40))}, Eq(14), {{L"Eq15", 39, BandsAsSent(40)}}},
    {"fifteen bands missing", {}, Eq(14), {{L"Eq15", 39, Bytes(240, 0)}}},
    {"phase mode", {U(Eq(15), 0x201)}, Eq(15), {{L"Eq15", 40, {1}}}},
    {"parallel mode", {U(Eq(16), 2)}, Eq(16), {{L"Eq15", 41, {2}}}},
    {"key shift", {U(kKeyShift, 4)}, kKeyShift, {{L"KeyShifting", 5, Words({4})}}},
    {"fading", {U(kFadingAmount, 0x155)}, kFadingAmount, {{L"VocalFading", 9, {0x55}}}},
    {"remover amount", {U(kRemoverAmount, 30)}, kRemoverAmount, {{L"VocalRemover", 34, Words({30})}}},
    {"remover band", {U(kRemoverBand, 0x102)}, kRemoverBand, {{L"VocalRemover", 33, {2}}}},
    {"preset alone: room size 0", {U(kEnvPreset, 5)}, kEnvPreset, {{L"Environment", 6, {0, 5}}}},
    {"room size with preset", {U(kEnvPreset, 5), U(kEnvRoom, 0x103)}, kEnvRoom, {{L"Environment", 6, {3, 5}}}},
    {"bass cutoff", {U(kBassCutoff, 80)}, kBassCutoff, {{L"FlexBass", 13, Words({80})}}},
    {"bass level 0 is -12", {U(kBassLevel, 0)}, kBassLevel, {{L"FlexBass", 15, Words({uint32_t(-12)})}}},
    {"bass speakers", {U(kBassSpeakers, 3)}, kBassSpeakers, {{L"FlexBass", 14, Words({3})}}},
    {"a missing single value sends nothing", {}, kBassCutoff, {}},
    {"smart volume restarts before its switch", {U(EnableKey(SmartVolume), 1)}, EnableKey(SmartVolume),
     {{L"SmartVolume", 12, {}}}},
    {"an unknown key", {U(Eq(17), 1)}, Eq(17), {}},
};

TEST_F(GfxTest, SettingsReachTheirComponentInItsLayout) {
    for (const PushRow& row : kPushes) {
        SCOPED_TRACE(row.what);
        fx_ = NewMemoryStore();
        Put(row.store);
        ASSERT_EQ(S_OK, Init(kSpeakers));
        if (row.changed == kLock) {
            log_.Clear();
            EXPECT_EQ(S_OK, Lock(44100, 2, 2, 441));
        } else {
            ASSERT_EQ(S_OK, Lock(44100, 2, 2, 441));
            log_.Clear();
            EXPECT_EQ(row.status, Report(row.changed));
        }
        EXPECT_EQ(PushesSince(), row.expected);
    }
}

TEST_F(GfxTest, ChangesWithoutTheirComponentStillSwitchButSendNothing) {
    Drop(L"Equalizer");
    Drop(L"SmartVolume");
    ASSERT_EQ(S_OK, Init(kSpeakers));
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 4));
    log_.Clear();
    EXPECT_EQ(S_OK, Set(Eq(3), 5));
    EXPECT_EQ(S_OK, Set(EnableKey(SmartVolume), 1));
    EXPECT_EQ(S_OK, Set(EnableKey(Equalizer), 1));
    EXPECT_TRUE(log_.Calls().empty());
    EXPECT_EQ(1, Run(2, 2, 4));  // the flag is set, but there is nothing to run
    Behaviour(L"FlexBass").setParameterResult = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, Set(kBassCutoff, 1));  // the status of the last call
    EXPECT_EQ(S_OK, p_->OnPropertyChanged(nullptr, nullptr));
}

}  // namespace
}  // namespace qx::test::gfx
