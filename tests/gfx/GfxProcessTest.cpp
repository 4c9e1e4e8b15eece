// One period through the global-effects processor: when it works at all, the chain, the
// channel map, the encoders and the monitor's stereo copy.
#include <algorithm>

#include "tests/gfx/GfxHarness.h"

namespace qx::test::gfx {
namespace {

const int kEnableSlots[] = {Equalizer, Eq15,      KeyShifting, VocalFading,   VocalRemover,
                            Environment, FlexBass, SmartVolume, SwapCenterSub, SwapSideRear};

// Output channel c carries input channel map[c]; -1 is a silent channel. No map: the
// processor writes nothing.
struct PeriodRow {
    const char* what;
    uint32_t in, out;
    std::vector<int> enabled;
    HRESULT status;
    std::vector<int> map;
};
const PeriodRow kPeriods[] = {
    {"nothing enabled", 2, 2, {}, 1, {}},
    {"equalizer, stereo", 2, 2, {Equalizer}, S_OK, {0, 1}},
    {"stereo into 5.1: new channels silent", 2, 6, {Equalizer}, S_OK, {0, 1, -1, -1, -1, -1}},
    {"5.1 into stereo: the first two", 6, 2, {Equalizer}, S_OK, {0, 1}},
    {"center/sub swap on 5.1", 6, 6, {SwapCenterSub}, S_OK, {0, 1, 3, 2, 4, 5}},
    {"side/rear swap on 7.1", 8, 8, {SwapSideRear}, S_OK, {0, 1, 2, 3, 6, 7, 4, 5}},
    {"side/rear swap on 5.1 does nothing", 6, 6, {SwapSideRear}, 1, {0, 1, 2, 3, 4, 5}},
    {"both swaps after the chain", 8, 8, {SwapCenterSub, SwapSideRear, Environment}, S_OK, {0, 1, 3, 2, 6, 7, 4, 5}},
};

TEST_F(GfxTest, APeriodIsWrittenThroughTheChannelMap) {
    Behaviour(L"Environment").processResult = E_FAIL;  // the swaps' status replaces it
    for (const PeriodRow& row : kPeriods) {
        SCOPED_TRACE(row.what);
        fx_ = NewMemoryStore();
        for (int slot : kEnableSlots)  // flags keep their value when a key is missing
            Put(U(EnableKey(slot), std::count(row.enabled.begin(), row.enabled.end(), slot) ? 1 : 0));
        ASSERT_EQ(S_OK, Lock(48000, row.in, row.out, 16));
        EXPECT_EQ(row.status, Run(row.in, row.out, 16));
        for (uint32_t i = 0; i < 16; ++i)
            for (uint32_t c = 0; c < row.out; ++c) {
                const float expected = row.map.empty()    ? kUntouched
                                       : row.map[c] < 0 ? 0.0f
                                                         : RampAt(i, uint32_t(row.map[c]));
                ASSERT_EQ(out_[i * row.out + c], expected) << "frame " << i << " channel " << c;
            }
    }
}

TEST_F(GfxTest, EnabledEffectsRunInChainOrderInPlaceOnPlanarBuffers) {
    for (int slot = Equalizer; slot <= SmartVolume; ++slot) Put(U(EnableKey(slot), 1));
    ASSERT_EQ(S_OK, Lock(44100, 6, 6, 32));
    // Vocal Fading runs first and doubles the right channel; a failure does not stop the chain.
    Behaviour(L"VocalFading").onProcess = [](float* const* in, void* const*, UINT32 frames) {
        for (UINT32 i = 0; i < frames; ++i) in[1][i] *= 2;
    };
    Behaviour(L"VocalFading").processResult = E_FAIL;
    Behaviour(L"SmartVolume").processResult = S_FALSE;
    log_.Clear();
    EXPECT_EQ(S_FALSE, Run(6, 6, 32));
    EXPECT_EQ(log_.ProcessOrder(), (Names{L"VocalFading", L"VocalRemover", L"KeyShifting", L"Environment",
                                          L"Equalizer", L"Eq15", L"FlexBass", L"SmartVolume"}));
    for (const ComponentCall& call : log_.Calls(ComponentCall::Process)) {
        EXPECT_EQ(call.frames, 32u);
        EXPECT_EQ(static_cast<const void*>(call.inTable), static_cast<const void*>(call.outTable));
    }
    for (uint32_t i = 0; i < 32; ++i) {
        EXPECT_EQ(out_[i * 6], RampAt(i, 0));
        EXPECT_EQ(out_[i * 6 + 1], 2 * RampAt(i, 1));
    }
}

TEST_F(GfxTest, PeriodLimitsAndConversion) {
    Put(U(EnableKey(Equalizer), 1));
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    EXPECT_EQ(S_OK, Run(2, 2, 16));
    EXPECT_EQ(E_POINTER, p_->Process(nullptr, out_.data(), 16));
    EXPECT_EQ(E_POINTER, p_->Process(in_.data(), nullptr, 16));
    EXPECT_EQ(E_INVALIDARG, p_->Process(in_.data(), out_.data(), 17));
    EXPECT_EQ(1, p_->Process(in_.data(), out_.data(), 0));
    EXPECT_EQ(S_OK, Run(2, 2, 3));  // a short period without conversion

    // 96000 runs the effects on 480 frames at 48000 and writes the whole period back,
    // allocating nothing; with conversion only the lock-time count is accepted.
    for (int slot : kEnableSlots) Set(EnableKey(slot), 1);
    ASSERT_EQ(S_OK, Lock(96000, 8, 8, 960));
    log_.Clear();
    EXPECT_EQ(S_OK, Run(8, 8, 960));
    EXPECT_EQ(log_.Calls(ComponentCall::Process).at(0).frames, 480u);
    EXPECT_NE(out_.back(), kUntouched);
    EXPECT_EQ(PeriodAllocations(960, true), 0u);
    ASSERT_EQ(S_OK, Lock(96000, 2, 2, 960));
    Run(2, 2, 960);
    EXPECT_EQ(E_INVALIDARG, p_->Process(in_.data(), out_.data(), 959));
    EXPECT_EQ(E_INVALIDARG, p_->ProcessMonitor(in_.data(), 480));

    // 32000 has no conversion to 48000: the effects get the stream unconverted.
    ASSERT_EQ(S_OK, Lock(32000, 2, 2, 320));
    EXPECT_EQ(S_OK, Run(2, 2, 320));
    EXPECT_EQ(out_, in_);
}

TEST_F(GfxTest, AnEngagedEncoderWritesTheOutput) {
    ASSERT_EQ(S_OK, Init(kSpdif));
    ASSERT_EQ(S_FALSE, Lock(48000, 2, 2, 8, 146));
    Behaviour(L"AC3").processResult = 0x5;
    void* written = nullptr;
    std::vector<float> seen;
    Behaviour(L"AC3").onProcess = [&](float* const* in, void* const* out, UINT32 frames) {
        written = out[0];
        seen.assign(in[1], in[1] + frames);
    };
    Put(U(EnableKey(SwapCenterSub), 1));  // no effect on a bitstream
    EXPECT_EQ(0x5, Run(2, 2, 8));        // with every effect off
    EXPECT_EQ(written, out_.data());
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(seen.at(i), RampAt(i, 1));
    EXPECT_EQ(out_, std::vector<float>(16, kUntouched));

    // Asked on a speaker endpoint, the output is PCM.
    ASSERT_EQ(S_OK, Init(kSpeakers));
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 8, 146));
    EXPECT_EQ(1, Run(2, 2, 8));
}

TEST_F(GfxTest, MonitorGetsAStereoMixOfTheOutputLayoutAtTheLockTimeCount) {
    ASSERT_EQ(S_OK, Lock(48000, 6, 6, 16));
    std::vector<float> left, right;
    Behaviour(L"Monitor").processResult = E_FAIL;  // never reported
    Behaviour(L"Monitor").onProcess = [&](float* const* in, void* const* out, UINT32 frames) {
        EXPECT_EQ(out, nullptr);
        left.assign(in[0], in[0] + frames);
        right.assign(in[1], in[1] + frames);
    };
    Run(6, 6, 16);
    EXPECT_EQ(S_OK, p_->ProcessMonitor(in_.data(), 16));
    ASSERT_EQ(left.size(), 16u);
    for (uint32_t i = 0; i < 16; ++i) {  // center and LFE at 0.707, the surround on its side
        const float centre = (RampAt(i, 2) + RampAt(i, 3)) * 0.707f;
        EXPECT_FLOAT_EQ(left[i], centre + RampAt(i, 4) + RampAt(i, 0));
        EXPECT_FLOAT_EQ(right[i], centre + RampAt(i, 5) + RampAt(i, 1));
    }
    EXPECT_EQ(S_OK, p_->ProcessMonitor(in_.data(), 4));  // padded with silence to 16
    ASSERT_EQ(left.size(), 16u);
    EXPECT_EQ(left[4], 0.0f);
    EXPECT_EQ(E_POINTER, p_->ProcessMonitor(nullptr, 16));
    EXPECT_EQ(E_INVALIDARG, p_->ProcessMonitor(in_.data(), 17));

    ASSERT_EQ(S_OK, Init(kSpdif));  // no monitor there
    log_.Clear();
    EXPECT_EQ(S_OK, p_->ProcessMonitor(nullptr, 99));
    EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
}  // namespace qx::test::gfx
