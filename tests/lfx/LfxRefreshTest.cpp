// Settings that change while the stream runs: enable flags with their exclusions, and
// parameter pushes as the components see them.
#include "settings/PropertyStoreAccess.h"
#include "tests/lfx/LfxFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::lfx;

namespace {

class LfxRefresh : public LfxTest {
protected:
    void SetUp() override {
        Register();
        Create();
    }
    std::vector<std::wstring> Order() const { return log.ProcessOrder(); }
};

}  // namespace

// Each row turns one effect on and off again after a lock that read every enable key
// as on; whatever it excluded stays off, Voice Clarity is independent of all of them.
TEST_F(LfxRefresh, VirtualisersAndUpMixersExcludeEachOther) {
    struct Row {
        uint8_t flag;
        uint32_t in, out;
    } rows[] = {{FlagNuvex, 6, 2},    {FlagDolbySurround, 6, 2}, {FlagSurroundSensation, 6, 2},
                {FlagProLogic, 2, 6}, {FlagNeoPc, 2, 6}};
    for (const Row& row : rows) {
        for (uint8_t flag : {FlagNuvex, FlagDolbySurround, FlagSurroundSensation, FlagProLogic, FlagNeoPc,
                             FlagVoiceClarity})
            Put(kEnableKeys[flag], 1);
        ASSERT_EQ(S_OK, Lock(row.in, row.out));
        EXPECT_EQ(S_OK, PutAndRefresh(kEnableKeys[row.flag], 3));  // any nonzero value is on
        EXPECT_EQ(S_OK, PutAndRefresh(kEnableKeys[row.flag], 0));
        RunPeriod();
        EXPECT_EQ((std::vector<std::wstring>{L"Clarity"}), Order()) << "flag " << int(row.flag);
    }
    // A value of the wrong type changes nothing.
    PutBool(fx.Get(), key::VoiceClarityEnable, false);
    EXPECT_EQ(S_OK, Refresh(key::VoiceClarityEnable));
    log.Clear();
    RunPeriod();
    EXPECT_EQ((std::vector<std::wstring>{L"Clarity"}), Order());
}

TEST_F(LfxRefresh, ShifterAndNuvexMaxRedoTheNuvexSetUp) {
    ASSERT_EQ(S_OK, Lock(2, 2));
    auto nuvexInputs = [this] {
        std::vector<int> channels;
        for (const ComponentCall& c : Inits(SlotNuvex)) channels.push_back(c.in.nChannels);
        log.Clear();
        return channels;
    };
    nuvexInputs();
    PutAndRefresh(key::SpeakerShifterEnable, 1);
    EXPECT_EQ(std::vector<int>{6}, nuvexInputs());
    PutAndRefresh(key::NuvexMaxEnable, 1);  // the Speaker Shifter already widens the stream
    EXPECT_TRUE(nuvexInputs().empty());
    PutAndRefresh(key::SpeakerShifterEnable, 0);
    EXPECT_EQ(std::vector<int>{6}, nuvexInputs());
    PutAndRefresh(key::NuvexMaxEnable, 0);
    EXPECT_EQ(std::vector<int>{2}, nuvexInputs());
    PutBool(fx.Get(), key::SpeakerShifterEnable, true);  // unread: set up all the same
    Refresh(key::SpeakerShifterEnable);
    EXPECT_EQ(std::vector<int>{2}, nuvexInputs());
}

TEST_F(LfxRefresh, DolbySurroundModeAndRoomSettings) {
    Put(key::DolbyHeadphoneRoom, 1);
    Put(key::DolbyVirtualSpeakerMode, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));
    log.Clear();
    // A new mode re-initialises Dolby Surround with its lock-time formats, tells the
    // Pro Logic IIx up-mixer, and sends the room setting of that mode.
    EXPECT_EQ(S_OK, PutAndRefresh(key::DolbySurroundMode, 0));
    ASSERT_EQ(1u, Inits(SlotDolbySurround).size());
    const ComponentCall init = Inits(SlotDolbySurround)[0];
    EXPECT_EQ(6, init.in.nChannels);
    ASSERT_TRUE(init.hasOut);
    EXPECT_EQ(2, init.out.nChannels);
    EXPECT_EQ(kFrames, init.maxFrames);
    EXPECT_EQ(0u, init.flag);
    EXPECT_EQ((std::vector<Param>{{22, {0}}}), Params(SlotProLogic));
    EXPECT_EQ((std::vector<Param>{{17, {6}}}), Params(SlotDolbySurround));

    // Room settings follow the stored mode; the headphone room also when it is unread.
    log.Clear();
    Refresh(key::DolbyHeadphoneRoom);  // mode 0: not for this mode
    Refresh(key::DolbyVirtualSpeakerMode);
    PutAndRefresh(key::DolbySurroundMode, 2);
    Refresh(key::DolbyVirtualSpeakerMode);  // mode 2: not for this mode
    PutBool(fx.Get(), key::DolbySurroundMode, true);
    Refresh(key::DolbyHeadphoneRoom);
    Refresh(key::DolbySurroundMode);  // an unread mode changes nothing
    EXPECT_EQ((std::vector<Param>{{17, {6}}, {17, {2}}, {17, {2}}}), Params(SlotDolbySurround));
    EXPECT_EQ((std::vector<Param>{{22, {1}}}), Params(SlotProLogic));
    EXPECT_EQ(1u, Inits(SlotDolbySurround).size());

    // The up-mixer is told only when both sides are stereo.
    ASSERT_EQ(S_OK, Lock(6, 2));
    log.Clear();
    PutAndRefresh(key::DolbySurroundMode, 1);
    EXPECT_TRUE(Params(SlotProLogic).empty());
}

TEST_F(LfxRefresh, ParameterPushesAsAtLockTime) {
    ASSERT_EQ(S_OK, Lock(2, 6));
    struct Row {
        KeyId key;
        uint32_t value;
        uint8_t slot;
        std::vector<Param> expected;
    } rows[] = {
        {key::ProLogicCenterWidth, 4, SlotProLogic, {{18, {7, 4}}}},
        {key::ProLogicDecodeMode, 1, SlotProLogic, {{19, {2}}}},
        {key::ProLogicPanorama, 0, SlotProLogic, {{20, {0}}}},
        {key::NeoPcDimension, 3, SlotNeoPc, {{24, NeoBytes(3, 0.5f)}}},  // unread gain: 0.5 here
        {key::NeoPcCenterGain, 8, SlotNeoPc, {{24, NeoBytes(3, 0.8f)}}},
        {key::NeoPcDecodeMode, 1, SlotNeoPc, {{23, {2}}}},
        {key::SurroundSensationSpeakerAngle, 5, SlotSurroundSensation, {{28, {30}}}},
        {key::SurroundSensationMode, 2, SlotSurroundSensation, {{25, {1}}}},
        {key::VoiceClarityLevel, 3, SlotVoiceClarity, {{30, FloatBytes(3.0f)}}},
        {key::NuvexExpansion, 9, SlotNuvex, {{3, {9, 0, 0, 0}}}},
        {key::NuvexSpeakerAngle, 5, SlotNuvex, {}},  // above 4
        {key::NuvexSpeakerAngle, 2, SlotNuvex, {{4, {2, 0, 0, 0}}}},
        {key::SpeakerShifterAngle(1), settings::EncodeSigned(-10), SlotSpeakerShifter, {{16, SpeakerBytes(4, -10, 1)}}},
        {key::SpeakerShifterDistance(7), 60, SlotSpeakerShifter, {{16, SpeakerBytes(7, 0, 0.25f)}}},
    };
    for (const Row& row : rows) {
        log.Clear();
        EXPECT_EQ(S_OK, PutAndRefresh(row.key, row.value));
        EXPECT_EQ(row.expected, Params(row.slot)) << "pid " << row.key.pid;
        EXPECT_EQ(row.expected.size(), log.Calls().size());
    }
    log.Clear();
    PutBool(fx.Get(), key::NeoPcDecodeMode, true);
    Refresh(key::NeoPcDecodeMode);
    EXPECT_EQ((std::vector<Param>{{23, {1}}}), Params(SlotNeoPc));
}

TEST_F(LfxRefresh, BadInputAndStatuses) {
    ASSERT_EQ(S_OK, Lock(2, 2));
    log.Clear();
    const PROPERTYKEY pk = settings::ToPropertyKey(key::VoiceClarityLevel);
    EXPECT_EQ(S_OK, lfx->OnPropertyChanged(&pk, nullptr));
    EXPECT_EQ(E_POINTER, lfx->OnPropertyChanged(nullptr, fx.Get()));
    EXPECT_EQ(S_OK, Refresh(key::EqualizerEnable));  // another processor's key
    EXPECT_EQ(S_OK, Refresh({settings::fmtid::SpeakerShifter, 16}));
    EXPECT_TRUE(log.Calls().empty());

    // Something that is not a property store: the reads fail.
    ComPtr<IUnknown> notAStore;
    regs[SlotNuvex]->Instance(0)->QueryInterface(IID_IUnknown, notAStore.PutVoid());
    EXPECT_EQ(E_POINTER, lfx->OnPropertyChanged(&pk, notAStore.Get()));

    // The status is the last call's; a missing component makes no call.
    Behaviour(SlotVoiceClarity).setParameterResult = E_ABORT;
    EXPECT_EQ(E_ABORT, PutAndRefresh(key::VoiceClarityLevel, 2));
    lfx.Reset();
    regs[SlotVoiceClarity].reset();
    Create();
    ASSERT_EQ(S_OK, Lock(2, 2));
    log.Clear();
    EXPECT_EQ(S_OK, Refresh(key::VoiceClarityLevel));
    EXPECT_TRUE(log.Calls(ComponentCall::SetParameter).empty());
}
