// One period through the render local effects: which components run, in which layout
// they see the stream, and what reaches the output.
#include "processors/ChannelMixer.h"
#include "resample/SRCInternal.h"
#include "tests/lfx/LfxFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::lfx;

namespace {

// Gains of the host's own mixers.
constexpr float kF = 0.5976143f, kC = 0.5345225f, kS = 0.5005609f, kH = 0.70710677f, kG = 0.707f;

class LfxProcess : public LfxTest {
protected:
    void SetUp() override {
        Register();
        Create();
    }
    void Enable(uint8_t flag) { Put(kEnableKeys[flag], 1); }
    std::vector<std::wstring> Order() const { return log.ProcessOrder(); }
};

std::vector<float> Frame0(const std::vector<float>& out, uint32_t channels) {
    return std::vector<float>(out.begin(), out.begin() + channels);
}

void ExpectNear(const std::vector<float>& expected, const std::vector<float>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_FLOAT_EQ(expected[i], actual[i]) << "channel " << i;
}

void ExpectSnapshot(const std::vector<float>& expected, const Snapshot& seen) {
    ExpectNear(expected, std::vector<float>(seen.begin(), seen.end()));
}

const std::vector<float> kMarkers = {1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

TEST_F(LfxProcess, NothingApplicableWritesNothing) {
    HRESULT status = 0;
    ASSERT_EQ(S_OK, Lock(2, 2));
    EXPECT_EQ(-7.0f, RunPeriod(&status)[0]);
    EXPECT_EQ(1, status);
    Enable(FlagNuvex);  // a virtualiser has nothing to do on a multichannel output
    Enable(FlagNeoPc);  // nor Neo:PC on a multichannel input
    ASSERT_EQ(S_OK, Lock(6, 8));
    EXPECT_EQ(-7.0f, RunPeriod(&status)[0]);
    EXPECT_EQ(1, status);
    EXPECT_TRUE(Order().empty());
}

TEST_F(LfxProcess, ProLogicSpreadsStereoOverTheOutputLayout) {
    Enable(FlagProLogic);
    Writes(SlotProLogic, kMarkers);
    Behaviour(SlotProLogic).processResult = 7;
    HRESULT status = 0;
    ASSERT_EQ(S_OK, Lock(2, 6));
    std::vector<float> out = RunPeriod(&status);
    EXPECT_EQ(7, status);
    ExpectNear({1, 2, 3, 4, 5, 6}, Frame0(out, 6));  // 6 channels leave the chain as they are
    EXPECT_EQ(1.0f, out[6 * (kFrames - 1)]);

    ASSERT_EQ(S_OK, Lock(2, 8));
    ExpectNear(kMarkers, Frame0(RunPeriod(), 8));

    // 4 channels are padded to the 6-channel layout first on a 7.1 output...
    Watch(SlotProLogic);
    ASSERT_EQ(S_OK, Lock(4, 8));
    RunPeriod();
    ExpectSnapshot({0.1f, 0.2f, kPad, kPad, 0.3f, 0.4f, 0, 0}, seen[SlotProLogic].at(0));
    // ...and only padded, without Pro Logic IIx, on a 5.1 output.
    ASSERT_EQ(S_OK, Lock(4, 6));
    ExpectNear({0.1f, 0.2f, kPad, kPad, 0.3f, 0.4f}, Frame0(RunPeriod(&status), 6));
    EXPECT_EQ(1, status);
    EXPECT_EQ(1u, seen[SlotProLogic].size());

    // An 8-channel stream on a 7.1 output has nothing to up-mix.
    ASSERT_EQ(S_OK, Lock(8, 8));
    ExpectNear({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}, Frame0(RunPeriod(&status), 8));
    EXPECT_EQ(1, status);
}

TEST_F(LfxProcess, NeoPcAndNuvexSurroundMaxUpMixStereo) {
    Enable(FlagNeoPc);
    Writes(SlotNeoPc, kMarkers);
    ASSERT_EQ(S_OK, Lock(2, 8));
    ExpectNear(kMarkers, Frame0(RunPeriod(), 8));

    // Nuvex Surround Max steps back while a matrix up-mixer runs...
    Put(key::NuvexMaxEnable, 1);
    ASSERT_EQ(S_OK, Lock(2, 8));
    ExpectNear(kMarkers, Frame0(RunPeriod(), 8));
    // ...and up-mixes itself otherwise; its result is the status.
    Put(key::NeoPcEnable, 0);
    HRESULT status = S_FALSE;
    ASSERT_EQ(S_OK, Lock(2, 6));
    ExpectNear({0.1f * kF, 0.2f * kF, (0.2f + 0.1f) * kC, 0, 0.1f * kH, 0.2f * kH}, Frame0(RunPeriod(&status), 6));
    EXPECT_EQ(S_OK, status);
    EXPECT_TRUE(Order().empty());
}

TEST_F(LfxProcess, VoiceClarityAndSpeakerShifterSeeTheirLayouts) {
    Enable(FlagVoiceClarity);
    Enable(FlagSpeakerShifter);
    Watch(SlotVoiceClarity);
    Watch(SlotSpeakerShifter);
    ASSERT_EQ(S_OK, Lock(2, 2));
    std::vector<float> out = RunPeriod();
    // Stereo is padded for Voice Clarity and folded back, then padded (not up-mixed) to 8.
    ExpectSnapshot({0.1f, 0.2f, kPad, kPad, kPad, kPad, 0, 0}, seen[SlotVoiceClarity].at(0));
    ExpectSnapshot({0.1f, 0.2f, kPad, kPad, kPad, kPad, kPad, kPad}, seen[SlotSpeakerShifter].at(0));
    ExpectNear({0.1f, 0.2f}, Frame0(out, 2));
    EXPECT_EQ((std::vector<std::wstring>{L"Clarity", L"Shifter"}), Order());

    // With Nuvex Surround Max on, the Speaker Shifter gets the up-mix to 8 instead.
    Put(key::VoiceClarityEnable, 0);
    Put(key::NuvexMaxEnable, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));
    RunPeriod();
    const float l = 0.1f, r = 0.2f;
    ExpectSnapshot({l * kF, r * kF, (l + r) * kC, 0, l * kS, r * kS, l * kS, r * kS}, seen[SlotSpeakerShifter].at(1));
}

TEST_F(LfxProcess, VirtualisersFoldToStereoThroughTheirUpMixers) {
    // No Pro Logic IIx component: Dolby Surround leaves a stereo stream alone.
    lfx.Reset();
    regs[SlotProLogic].reset();
    Create();
    Enable(FlagDolbySurround);
    HRESULT status = 0;
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectNear({0.1f, 0.2f}, Frame0(RunPeriod(&status), 2));
    EXPECT_EQ(1, status);
    EXPECT_TRUE(Order().empty());

    // With it, Pro Logic IIx up-mixes first; only Dolby Surround's status is kept.
    Register({SlotProLogic});
    lfx.Reset();
    Create();
    Behaviour(SlotProLogic).processResult = E_FAIL;
    Behaviour(SlotDolbySurround).processResult = 5;
    Writes(SlotProLogic, {0.5f, 0.25f});
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectNear({0.5f, 0.25f}, Frame0(RunPeriod(&status), 2));
    EXPECT_EQ(5, status);
    EXPECT_EQ((std::vector<std::wstring>{L"ProLogic", L"Dolby"}), Order());

    // An 8-channel stream is folded to 6 for the virtualiser; Dolby Surround wins over
    // Nuvex Surround when a stale store has both on.
    Enable(FlagNuvex);
    Watch(SlotDolbySurround);
    ASSERT_EQ(S_OK, Lock(8, 2));
    RunPeriod();
    ExpectSnapshot({0.1f, 0.2f, 0.3f, 0.4f, 0.5f + 0.7f, 0.6f + 0.8f, 0.7f, 0.8f}, seen[SlotDolbySurround].at(0));
    EXPECT_EQ((std::vector<std::wstring>{L"Dolby"}), Order());
}

TEST_F(LfxProcess, SurroundSensationAndNuvexSurround) {
    Enable(FlagSurroundSensation);
    ASSERT_EQ(S_OK, Lock(2, 2));
    RunPeriod();
    EXPECT_EQ((std::vector<std::wstring>{L"Neo", L"Sensation"}), Order());

    Put(key::SurroundSensationEnable, 0);
    Enable(FlagNuvex);
    Watch(SlotNuvex);
    ASSERT_EQ(S_OK, Lock(2, 2));
    RunPeriod();
    ExpectSnapshot({0.1f, 0.2f, 0, 0, 0, 0, 0, 0}, seen[SlotNuvex].at(0));  // plain stereo
    Put(key::NuvexMaxEnable, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));
    RunPeriod();
    ExpectSnapshot({0.1f * kF, 0.2f * kF, 0.3f * kC, 0, 0.1f * kH, 0.2f * kH, 0, 0}, seen[SlotNuvex].at(1));
    ASSERT_EQ(S_OK, Lock(4, 2));
    RunPeriod();
    // 4 channels on a stereo output are only padded to 6 for it.
    ExpectSnapshot({0.1f, 0.2f, kPad, kPad, 0.3f, 0.4f, 0, 0}, seen[SlotNuvex].at(2));
    // The fold to stereo keeps the rest of the layout: a 6-channel period comes out as
    // (X2 + X3) * g + X4 + X0 when nothing runs but Voice Clarity.
    Put(key::NuvexEnable, 0), Put(key::NuvexMaxEnable, 0), Put(key::VoiceClarityEnable, 1);
    ASSERT_EQ(S_OK, Lock(6, 2));
    ExpectNear({(0.3f + 0.4f) * kG + 0.5f + 0.1f, (0.3f + 0.4f) * kG + 0.6f + 0.2f}, Frame0(RunPeriod(), 2));
}

TEST_F(LfxProcess, ConvertedStreamsGoBackOverEveryOutputChannel) {
    Enable(FlagProLogic);
    constexpr uint32_t kStreamFrames = 64;
    SRCInternal reference;
    uint32_t internalFrames = kStreamFrames;
    reference.Init(22050, 44100, kStreamFrames, &internalFrames, 6);
    std::vector<UINT32> framesSeen;
    // Pro Logic IIx writes a distinct ramp into each of the 6 channels at the internal rate.
    auto pattern = [](uint32_t c, uint32_t i) { return 0.01f * float(c + 1) * float(i % 50); };
    Behaviour(SlotProLogic).onProcess = [&](float* const* in, void* const*, UINT32 frames) {
        framesSeen.push_back(frames);
        for (uint32_t c = 0; c < 6; ++c)
            for (uint32_t i = 0; i < frames; ++i) in[c][i] = pattern(c, i);
    };
    ASSERT_EQ(S_OK, Lock(2, 6, 22050, kStreamFrames));
    for (int period = 0; period < 3; ++period) {
        const std::vector<float> out = RunPeriod(nullptr, kStreamFrames);
        for (uint32_t c = 0; c < 6; ++c) {
            std::vector<float> expected(internalFrames);
            for (uint32_t i = 0; i < internalFrames; ++i) expected[i] = pattern(c, i);
            reference.Process(expected.data(), c, internalFrames, SRCInternal::Reverse);
            for (uint32_t i = 0; i < kStreamFrames; ++i)
                ASSERT_EQ(expected[i], out[i * 6 + c]) << "period " << period << " channel " << c << " frame " << i;
        }
    }
    EXPECT_EQ(std::vector<UINT32>(3, internalFrames), framesSeen);
}
