// A change of one settings key: which flag or parameter it reaches and in what bytes.
#include <cstring>

#include "settings/PropertyStoreAccess.h"
#include "tests/gfx/GfxFixture.h"

namespace qx::test::gfx {
namespace {

namespace key = settings::key;
using Bytes = std::vector<uint8_t>;

class GfxRefreshTest : public GfxTest {
protected:
    void SetUp() override {
        GfxTest::SetUp();
        ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
        Lock(48000, 2, 2, 4);
        log_.Clear();
    }
    // The single SetParameter call a change caused, as (id, bytes).
    std::pair<int, Bytes> OnlyParameter(int slot) {
        auto calls = ParametersOf(slot);
        EXPECT_EQ(calls.size(), 1u);
        if (calls.size() != 1) return {-1, {}};
        EXPECT_EQ(calls[0].size, calls[0].data.size());
        return {calls[0].id, calls[0].data};
    }
    std::vector<std::wstring> RunOnce() {
        log_.Clear();
        std::vector<float> in = Ramp(2, 4), out(8);
        gfx_->Process(in.data(), out.data(), 4);
        return log_.ProcessOrder();
    }
};

TEST_F(GfxRefreshTest, EnableKeysStoreTheirFlagForTheNextPeriod) {
    for (int slot = 0; slot < 7; ++slot) {
        EXPECT_EQ(S_OK, SetEnable(EnableKey(slot), 5));  // any nonzero value is on
        EXPECT_EQ(RunOnce(), std::vector<std::wstring>{SlotName(slot)});
        EXPECT_EQ(S_OK, SetEnable(EnableKey(slot), 0));
        EXPECT_TRUE(RunOnce().empty());
    }
    EXPECT_TRUE(log_.Calls(ComponentCall::SetParameter).empty());
}

TEST_F(GfxRefreshTest, AnEnableValueOfTheWrongTypeChangesNothing) {
    SetEnable(EnableKey(Environment), 1);
    PutBool(fx_.Get(), EnableKey(Environment), false);
    EXPECT_EQ(S_OK, Changed(EnableKey(Environment)));
    EXPECT_EQ(RunOnce(), std::vector<std::wstring>{L"Environment"});
    PutString(fx_.Get(), EnableKey(Environment), L"0");
    EXPECT_EQ(S_OK, Changed(EnableKey(Environment)));
    EXPECT_EQ(RunOnce(), std::vector<std::wstring>{L"Environment"});
}

TEST_F(GfxRefreshTest, SmartVolumeIsResetBeforeItsFlagChanges) {
    Behaviour(SmartVolume).setParameterResult = S_FALSE;
    EXPECT_EQ(S_FALSE, SetEnable(EnableKey(SmartVolume), 1));
    auto calls = ParametersOf(SmartVolume);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 12);
    EXPECT_EQ(calls[0].size, 0);
    EXPECT_TRUE(calls[0].dataNull);
    EXPECT_EQ(RunOnce(), std::vector<std::wstring>{L"SmartVolume"});

    log_.Clear();
    PutBool(fx_.Get(), EnableKey(SmartVolume), false);  // not read: no reset, no change
    EXPECT_EQ(S_OK, Changed(EnableKey(SmartVolume)));
    EXPECT_TRUE(ParametersOf(SmartVolume).empty());
    EXPECT_EQ(RunOnce(), std::vector<std::wstring>{L"SmartVolume"});
}

TEST_F(GfxRefreshTest, ParameterKeysReachTheirComponentInItsLayout) {
    PutUInt(fx_.Get(), key::EqualizerBand(4), uint32_t(-7));
    EXPECT_EQ(S_OK, Changed(key::EqualizerBand(4)));
    EXPECT_EQ(OnlyParameter(Equalizer), std::make_pair(10, Bytes{3, 0, 0, 0, 0xF9, 0xFF, 0xFF, 0xFF}));
    log_.Clear();
    PutUInt(fx_.Get(), key::EqualizerBand(10), 20);
    Changed(key::EqualizerBand(10));
    EXPECT_EQ(OnlyParameter(Equalizer), std::make_pair(10, Bytes{9, 0, 0, 0, 20, 0, 0, 0}));

    struct Case {
        settings::KeyId key;
        uint32_t value;
        int slot;
        int id;
        Bytes bytes;
    };
    const Case cases[] = {
        {key::FlexBassCutoff, 80, FlexBass, 13, Words({80})},
        {key::FlexBassLevel, 12, FlexBass, 15, Words({0})},
        {key::FlexBassLevel, 0, FlexBass, 15, Words({uint32_t(-12)})},
        {key::FlexBassSpeakers, 0x34, FlexBass, 14, Words({0x34})},
        {key::KeyShift, uint32_t(-4), KeyShifting, 5, Words({uint32_t(-4)})},
        {key::VocalFadingAmount, 0x164, VocalFading, 9, {0x64}},
        {key::VocalRemoverAmount, 30, VocalRemover, 34, Words({30})},
        {key::VocalRemoverBand, 0x102, VocalRemover, 33, {0x02}},
        {key::Eq15PhaseMode, 0x100, Eq15, 40, {0x00}},  // the low byte, unlike at lock time
        {key::Eq15ParallelMode, 3, Eq15, 41, {0x03}},
    };
    for (const Case& c : cases) {
        log_.Clear();
        PutUInt(fx_.Get(), c.key, c.value);
        EXPECT_EQ(S_OK, Changed(c.key));
        EXPECT_EQ(OnlyParameter(c.slot), std::make_pair(c.id, c.bytes)) << c.key.pid;
    }
}

TEST_F(GfxRefreshTest, SingleValuesOfTheWrongFormSendNothing) {
    const settings::KeyId keys[] = {key::EqualizerBand(1), key::FlexBassCutoff, key::FlexBassLevel,
                                    key::FlexBassSpeakers, key::KeyShift,       key::VocalFadingAmount,
                                    key::VocalRemoverAmount, key::VocalRemoverBand, key::Eq15PhaseMode,
                                    key::Eq15ParallelMode};
    for (const auto& k : keys) {
        PutBool(fx_.Get(), k, true);
        EXPECT_EQ(S_OK, Changed(k));
    }
    EXPECT_TRUE(log_.Calls().empty());
}

TEST_F(GfxRefreshTest, EnvironmentSendsRoomSizeAndPresetTogether) {
    PutUInt(fx_.Get(), key::EnvironmentRoomSize, 1);
    EXPECT_EQ(S_OK, Changed(key::EnvironmentRoomSize));
    EXPECT_EQ(OnlyParameter(Environment), std::make_pair(6, Bytes{1, 0}));
    log_.Clear();
    PutUInt(fx_.Get(), key::EnvironmentPreset, 0x10B);
    EXPECT_EQ(S_OK, Changed(key::EnvironmentPreset));
    EXPECT_EQ(OnlyParameter(Environment), std::make_pair(6, Bytes{1, 0x0B}));
    log_.Clear();
    PutBool(fx_.Get(), key::EnvironmentRoomSize, true);  // unreadable: its default 0 goes out
    Changed(key::EnvironmentRoomSize);
    EXPECT_EQ(OnlyParameter(Environment), std::make_pair(6, Bytes{0, 0x0B}));
}

TEST_F(GfxRefreshTest, FilterBlobsAreSentAsAtLockTimeOrAsZeros) {
    const uint8_t treble[16] = {0, 0, 0, 2, 0x10, 0x27, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0x40};
    PutBlob(fx_.Get(), key::Eq15Treble, treble, sizeof treble);
    EXPECT_EQ(S_OK, Changed(key::Eq15Treble));
    auto calls = ParametersOf(Eq15);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].id, 37);
    EXPECT_EQ(calls[0].data, Bytes{1});  // any nonzero switch word is on
    EXPECT_EQ(calls[1].id, 38);
    EXPECT_EQ(calls[1].data, Bytes(treble + 4, treble + 12));

    log_.Clear();
    PutBlob(fx_.Get(), key::Eq15Bass, treble, 15);
    Changed(key::Eq15Bass);
    calls = ParametersOf(Eq15);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].id, 35);
    EXPECT_EQ(calls[0].data, Bytes{0});
    EXPECT_EQ(calls[1].data, Bytes(8, 0));

    log_.Clear();
    Bytes bands(240, 0);
    bands[16 * 14] = 9;   // band 15 on
    bands[16 * 14 + 4] = 0x55;
    PutBlob(fx_.Get(), key::Eq15Bands, bands.data(), bands.size());
    Changed(key::Eq15Bands);
    bands[16 * 14] = 1;
    EXPECT_EQ(OnlyParameter(Eq15), std::make_pair(39, bands));
    log_.Clear();
    PutBlob(fx_.Get(), key::Eq15Bands, bands.data(), 241);
    Changed(key::Eq15Bands);
    EXPECT_EQ(OnlyParameter(Eq15), std::make_pair(39, Bytes(240, 0)));
}

TEST_F(GfxRefreshTest, StatusIsTheLastCallOrRead) {
    Behaviour(FlexBass).setParameterResult = E_FAIL;
    PutUInt(fx_.Get(), key::FlexBassCutoff, 80);
    EXPECT_EQ(E_FAIL, Changed(key::FlexBassCutoff));

    // The read fails for one key: its status comes back and nothing is called.
    ComPtr<IPropertyStore> inner = NewMemoryStore();
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, inner.Get());
    failing->FailKey(key::KeyShift);
    ComPtr<IPropertyStore> store = ComPtr<IPropertyStore>::Attach(failing);
    log_.Clear();
    const PROPERTYKEY shift = settings::ToPropertyKey(key::KeyShift);
    EXPECT_EQ(E_ACCESSDENIED, gfx_->OnPropertyChanged(&shift, store.Get()));
    EXPECT_TRUE(log_.Calls().empty());
}

TEST_F(GfxRefreshTest, BadArgumentsAndUnknownKeys) {
    const PROPERTYKEY eq = settings::ToPropertyKey(EnableKey(Equalizer));
    EXPECT_EQ(S_OK, gfx_->OnPropertyChanged(&eq, nullptr));
    EXPECT_EQ(E_POINTER, gfx_->OnPropertyChanged(nullptr, fx_.Get()));
    // Not a property store: the enable read fails with E_POINTER, an unknown key reports the query.
    EXPECT_EQ(E_POINTER, gfx_->OnPropertyChanged(&eq, gfx_.Get()));
    const PROPERTYKEY other = settings::ToPropertyKey(key::SpeakerShifterEnable);
    EXPECT_EQ(E_NOINTERFACE, gfx_->OnPropertyChanged(&other, gfx_.Get()));
    EXPECT_EQ(S_OK, gfx_->OnPropertyChanged(&other, fx_.Get()));
    const PROPERTYKEY pastBands = settings::ToPropertyKey(key::EqualizerBand(17));
    PutUInt(fx_.Get(), key::EqualizerBand(17), 1);
    EXPECT_EQ(S_OK, gfx_->OnPropertyChanged(&pastBands, fx_.Get()));
    EXPECT_TRUE(log_.Calls().empty());
    EXPECT_TRUE(RunOnce().empty());
}

TEST_F(GfxRefreshTest, EmptySlotsStillTakeFlagsButNoParameters) {
    Unregister({Equalizer, SmartVolume});
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    Lock(48000, 2, 2, 4);
    log_.Clear();
    PutUInt(fx_.Get(), key::EqualizerBand(2), 3);
    EXPECT_EQ(S_OK, Changed(key::EqualizerBand(2)));
    EXPECT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 1));
    EXPECT_EQ(S_OK, SetEnable(EnableKey(SmartVolume), 1));
    EXPECT_TRUE(log_.Calls().empty());
    std::vector<float> in = Ramp(2, 4), out(8, -1.0f);
    EXPECT_EQ(1, gfx_->Process(in.data(), out.data(), 4));
    EXPECT_EQ(out, std::vector<float>(8, -1.0f));

    // Flex Bass exists only off S/PDIF: its settings go nowhere there.
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    log_.Clear();
    PutUInt(fx_.Get(), key::FlexBassLevel, 3);
    EXPECT_EQ(S_OK, Changed(key::FlexBassLevel));
    EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
}  // namespace qx::test::gfx
