// One period through the processor: when it works at all, the chain, the channel map,
// the encoders, the monitor copy and the statuses.
#include <algorithm>
#include <cstring>

#include "processors/ChannelMixer.h"
#include "tests/gfx/GfxFixture.h"

namespace qx::test::gfx {
namespace {

constexpr float kUntouched = -7.0f;

class GfxProcessTest : public GfxTest {
protected:
    void Ready(uint32_t formFactor, uint32_t rate, uint32_t inChannels, uint32_t outChannels, uint32_t frames,
               uint32_t outputTag = 1) {
        ASSERT_EQ(S_OK, InitializeFor(formFactor));
        Lock(rate, inChannels, outChannels, frames, outputTag);
        in_ = Ramp(inChannels, frames);
        out_.assign(size_t(outChannels) * frames, kUntouched);
        frames_ = frames;
        log_.Clear();
    }
    HRESULT Run() { return gfx_->Process(in_.data(), out_.data(), frames_); }
    // Sample (frame i, channel c) of the ramp input.
    float In(uint32_t channels, uint32_t i, uint32_t c) const { return in_[size_t(i) * channels + c]; }

    std::vector<float> in_, out_;
    uint32_t frames_ = 0;
};

TEST_F(GfxProcessTest, NothingEnabledWritesNothingAndReturnsOne) {
    Ready(settings::FormFactorSpeakers, 48000, 2, 2, 16);
    EXPECT_EQ(1, Run());
    EXPECT_EQ(out_, std::vector<float>(32, kUntouched));
    EXPECT_TRUE(log_.ProcessOrder().empty());

    // An enable flag without its component does not count either.
    Unregister({Equalizer});
    Ready(settings::FormFactorSpeakers, 48000, 2, 2, 16);
    EXPECT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 1));
    EXPECT_EQ(1, Run());
    EXPECT_EQ(out_, std::vector<float>(32, kUntouched));
}

TEST_F(GfxProcessTest, EnabledEffectsRunInChainOrderOnTheSharedTable) {
    Ready(settings::FormFactorSpeakers, 48000, 6, 6, 32);
    for (int slot = 0; slot < 8; ++slot) ASSERT_EQ(S_OK, SetEnable(EnableKey(slot), 1));
    EXPECT_EQ(S_OK, Run());
    EXPECT_EQ(log_.ProcessOrder(),
              (std::vector<std::wstring>{L"VocalFading", L"VocalRemover", L"KeyShifting", L"Environment",
                                         L"Equalizer", L"Eq15", L"FlexBass", L"SmartVolume"}));
    auto calls = log_.Calls(ComponentCall::Process);
    for (auto& call : calls) {
        EXPECT_EQ(call.frames, 32u);
        EXPECT_EQ(static_cast<const void*>(call.inTable), static_cast<const void*>(call.outTable));
        EXPECT_EQ(call.inTable, calls[0].inTable);
    }
    float* const* table = calls[0].inTable;
    for (int k = 0; k < 8; ++k) {
        ASSERT_NE(table[k], nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(table[k]) % 16, 0u);
        if (k) EXPECT_GE(table[k], table[k - 1] + 32);
    }
    EXPECT_EQ(out_, in_);  // pass-through effects leave the period as it came
}

TEST_F(GfxProcessTest, EffectsWorkOnPlanarBuffersAndTheLastStatusIsReturned) {
    Ready(settings::FormFactorSpeakers, 44100, 2, 2, 8);
    // Vocal Fading runs first and doubles the right channel; Equalizer checks it sees that.
    Behaviour(VocalFading).onProcess = [](float* const* in, void* const*, UINT32 frames) {
        for (UINT32 i = 0; i < frames; ++i) in[1][i] *= 2;
    };
    Behaviour(VocalFading).processResult = E_FAIL;  // does not stop the chain
    Behaviour(Equalizer).processResult = S_FALSE;
    ASSERT_EQ(S_OK, SetEnable(EnableKey(VocalFading), 1));
    ASSERT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 1));
    EXPECT_EQ(S_FALSE, Run());
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(out_[2 * i], In(2, i, 0));
        EXPECT_EQ(out_[2 * i + 1], 2 * In(2, i, 1));
    }
    ASSERT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 0));
    EXPECT_EQ(E_FAIL, Run());
}

TEST_F(GfxProcessTest, ChannelsBeyondTheInputAreSilentAndExtraInputsAreDropped) {
    Ready(settings::FormFactorSpeakers, 48000, 2, 4, 4);
    ASSERT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 1));
    Run();
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(out_[4 * i + 1], In(2, i, 1));
        EXPECT_EQ(out_[4 * i + 2], 0.0f);
        EXPECT_EQ(out_[4 * i + 3], 0.0f);
    }
    Ready(settings::FormFactorSpeakers, 48000, 6, 2, 4);
    Run();
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(out_[2 * i + 1], In(6, i, 1));
}

constexpr uint32_t kSilent = 99;

struct SwapCase {
    uint32_t channels;
    bool centerSub;
    bool sideRear;
    std::vector<uint32_t> map;  // output channel c comes from input channel map[c]
    HRESULT status;
};

TEST_F(GfxProcessTest, SwapsExchangeChannelsOnlyWhereTheLayoutHasThem) {
    const SwapCase cases[] = {
        {4, true, true, {0, 1, 2, 3}, 1},  // works, but neither swap applies
        {5, true, false, {0, 1, 3, 2, 4}, S_OK},
        {6, true, false, {0, 1, 3, 2, 4, 5}, S_OK},
        {6, false, true, {0, 1, 2, 3, 4, 5}, 1},
        {7, false, true, {0, 1, 2, 3, 6, kSilent, 4}, S_OK},  // buffer 7 holds no input
        {8, false, true, {0, 1, 2, 3, 6, 7, 4, 5}, S_OK},
        {8, true, true, {0, 1, 3, 2, 6, 7, 4, 5}, S_OK},
    };
    for (const SwapCase& c : cases) {
        Ready(settings::FormFactorSpeakers, 48000, c.channels, c.channels, 6);
        SetEnable(EnableKey(11), c.centerSub);
        SetEnable(EnableKey(12), c.sideRear);
        EXPECT_EQ(c.status, Run()) << c.channels;
        for (uint32_t i = 0; i < 6; ++i)
            for (uint32_t ch = 0; ch < c.channels; ++ch)
                EXPECT_EQ(out_[i * c.channels + ch], c.map[ch] == kSilent ? 0.0f : In(c.channels, i, c.map[ch]))
                    << c.channels << " ch " << ch;
        EXPECT_TRUE(log_.ProcessOrder().empty());
    }
}

TEST_F(GfxProcessTest, ASwapOverridesTheChainStatus) {
    Ready(settings::FormFactorSpeakers, 48000, 6, 6, 4);
    Behaviour(Equalizer).processResult = E_FAIL;
    SetEnable(EnableKey(Equalizer), 1);
    SetEnable(EnableKey(11), 1);
    EXPECT_EQ(S_OK, Run());
}

TEST_F(GfxProcessTest, ConvertedRatesGiveTheComponentsTheInternalBlock) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    Lock(96000, 2, 2, 960);
    const uint32_t internalFrames = InitializeCallsOf(Equalizer).at(0).maxFrames;
    in_ = Ramp(2, 960);
    out_.assign(2 * 960, kUntouched);
    SetEnable(EnableKey(Equalizer), 1);
    log_.Clear();
    EXPECT_EQ(S_OK, gfx_->Process(in_.data(), out_.data(), 960));
    auto calls = log_.Calls(ComponentCall::Process);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].frames, internalFrames);
    EXPECT_NE(out_.back(), kUntouched);  // the whole period is written back

    // With conversion the period must be exactly the lock-time size.
    EXPECT_EQ(E_INVALIDARG, gfx_->Process(in_.data(), out_.data(), 959));
    EXPECT_EQ(E_INVALIDARG, gfx_->ProcessMonitor(in_.data(), 480));
    EXPECT_EQ(S_OK, gfx_->ProcessMonitor(in_.data(), 960));
    EXPECT_EQ(log_.Calls(ComponentCall::Process).back().frames, internalFrames);
}

// 32000 has no conversion to 48000: the effects get the stream as it is, labelled 48000.
TEST_F(GfxProcessTest, AnUnconvertibleRatePassesUnconverted) {
    Ready(settings::FormFactorSpeakers, 32000, 2, 2, 320);
    std::vector<float> seen;
    Behaviour(Equalizer).onProcess = [&](float* const* in, void* const*, UINT32 frames) {
        seen.assign(in[1], in[1] + frames);
    };
    SetEnable(EnableKey(Equalizer), 1);
    EXPECT_EQ(S_OK, Run());
    ASSERT_EQ(seen.size(), 320u);
    for (uint32_t i = 0; i < 320; ++i) EXPECT_EQ(seen[i], In(2, i, 1));
    EXPECT_EQ(out_, in_);
    EXPECT_EQ(E_INVALIDARG, gfx_->Process(in_.data(), out_.data(), 160));  // still a converting lock
}

TEST_F(GfxProcessTest, BadArgumentsAreRefusedWithoutTouchingAnything) {
    Ready(settings::FormFactorSpeakers, 48000, 2, 2, 16);
    SetEnable(EnableKey(Equalizer), 1);
    EXPECT_EQ(E_POINTER, gfx_->Process(nullptr, out_.data(), 16));
    EXPECT_EQ(E_POINTER, gfx_->Process(in_.data(), nullptr, 16));
    EXPECT_EQ(E_INVALIDARG, gfx_->Process(in_.data(), out_.data(), 17));
    EXPECT_EQ(1, gfx_->Process(in_.data(), out_.data(), 0));
    EXPECT_EQ(out_, std::vector<float>(32, kUntouched));
    EXPECT_TRUE(log_.ProcessOrder().empty());
    // A short period is fine without conversion.
    EXPECT_EQ(S_OK, gfx_->Process(in_.data(), out_.data(), 3));
    EXPECT_EQ(out_[5], in_[5]);
    EXPECT_EQ(out_[6], kUntouched);
}

TEST_F(GfxProcessTest, AnEngagedEncoderWritesTheOutputEvenWithEveryEffectOff) {
    Ready(settings::FormFactorSpdif, 48000, 2, 2, 8, 146);
    Behaviour(Ac3).processResult = 0x00000005;
    Behaviour(Ac3).onProcess = [](float* const*, void* const* out, UINT32 frames) {
        std::memset(out[0], 0x5A, frames * 4);  // a 16-bit stereo bitstream
    };
    EXPECT_EQ(0x00000005, Run());
    auto calls = log_.Calls(ComponentCall::Process);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].component, L"AC3");
    EXPECT_EQ(calls[0].frames, 8u);
    uint32_t expected;
    std::memset(&expected, 0x5A, 4);
    uint32_t first;
    std::memcpy(&first, out_.data(), 4);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(out_[15], kUntouched);  // the encoder wrote half the float buffer's bytes
}

TEST_F(GfxProcessTest, EncoderGetsThePlanarPeriodAndTheHostBuffer) {
    Ready(settings::FormFactorSpdif, 48000, 2, 2, 8, 356);
    std::vector<float> seen;
    void* seenOut = nullptr;
    Behaviour(Dts).onProcess = [&](float* const* in, void* const* out, UINT32 frames) {
        seen.assign(in[1], in[1] + frames);
        seenOut = out[0];
    };
    SetEnable(EnableKey(11), 1);  // no effect on a bitstream
    EXPECT_EQ(S_OK, Run());
    EXPECT_EQ(seenOut, out_.data());
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(seen[i], In(2, i, 1));
    EXPECT_EQ(out_, std::vector<float>(16, kUntouched));
}

TEST_F(GfxProcessTest, AFailingEncoderFallsBackToPcm) {
    Behaviour(Ac3).initializeResult = E_FAIL;
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    EXPECT_EQ(E_FAIL, Lock(48000, 2, 2, 8, 146));
    EXPECT_EQ(Component(Ac3)->RefCount(), 1);  // released by the processor
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(146));

    Ready(settings::FormFactorSpdif, 48000, 2, 2, 8, 146);  // fails again: a fresh encoder
    EXPECT_EQ(1, Run());                                     // no encoder, nothing enabled
    SetEnable(EnableKey(Equalizer), 1);
    EXPECT_EQ(S_OK, Run());
    EXPECT_EQ(out_, in_);
}

TEST_F(GfxProcessTest, AnEncoderRequestOnASpeakerEndpointIsPcm) {
    Ready(settings::FormFactorSpeakers, 48000, 2, 2, 8, 146);
    EXPECT_EQ(1, Run());
    SetEnable(EnableKey(Equalizer), 1);
    EXPECT_EQ(S_OK, Run());
    EXPECT_EQ(out_, in_);
}

// ---- the monitor ----

TEST_F(GfxProcessTest, MonitorGetsAStereoMixOfTheOutputLayout) {
    Ready(settings::FormFactorSpeakers, 48000, 6, 6, 16);
    std::vector<float> left, right;
    Behaviour(Monitor).processResult = E_FAIL;  // never reported
    Behaviour(Monitor).onProcess = [&](float* const* in, void* const* out, UINT32 frames) {
        EXPECT_EQ(out, nullptr);
        left.assign(in[0], in[0] + frames);
        right.assign(in[1], in[1] + frames);
    };
    EXPECT_EQ(S_OK, gfx_->ProcessMonitor(in_.data(), 16));
    auto calls = log_.Calls(ComponentCall::Process);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].frames, 16u);

    std::vector<std::vector<float>> planar(8, std::vector<float>(16, 0.0f));
    for (uint32_t c = 0; c < 6; ++c)
        for (uint32_t i = 0; i < 16; ++i) planar[c][i] = In(6, i, c);
    float* table[8];
    for (int k = 0; k < 8; ++k) table[k] = planar[k].data();
    MixDown(table, 6, 2, 16);
    EXPECT_EQ(left, planar[0]);
    EXPECT_EQ(right, planar[1]);
}

TEST_F(GfxProcessTest, MonitorAlwaysReceivesTheLockTimeCount) {
    Ready(settings::FormFactorSpeakers, 48000, 2, 2, 16);
    std::vector<float> seen;
    Behaviour(Monitor).onProcess = [&](float* const* in, void* const*, UINT32 frames) {
        seen.assign(in[0], in[0] + frames);
    };
    EXPECT_EQ(S_OK, gfx_->ProcessMonitor(in_.data(), 16));
    EXPECT_EQ(S_OK, gfx_->ProcessMonitor(in_.data(), 4));
    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(seen[3], In(2, 3, 0));
    EXPECT_EQ(seen[4], 0.0f);  // not the previous period's sample
    EXPECT_EQ(E_POINTER, gfx_->ProcessMonitor(nullptr, 16));
    EXPECT_EQ(E_INVALIDARG, gfx_->ProcessMonitor(in_.data(), 17));
}

TEST_F(GfxProcessTest, MonitorWithoutComponentDoesNothing) {
    Ready(settings::FormFactorSpdif, 48000, 2, 2, 16);
    EXPECT_EQ(S_OK, gfx_->ProcessMonitor(nullptr, 99));
    EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
}  // namespace qx::test::gfx
