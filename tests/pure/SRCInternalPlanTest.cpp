#include <gtest/gtest.h>

#include <vector>

#include "resample/SRCInternal.h"

using qx::ConversionStage;
using qx::SRCInternal;
using qx::StageKind;

namespace {

std::vector<float> Ramp(size_t n, float start = 0.25f) {
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = start + 0.001f * static_cast<float>(i % 997);
    return v;
}

uint32_t InitFor(SRCInternal& src, uint32_t in, uint32_t out, uint32_t block, uint8_t channels = 2) {
    uint32_t reported = 0xDEADBEEF;
    src.Init(in, out, block, &reported, channels);
    return reported;
}

StageKind Inverse(StageKind k) {
    switch (k) {
        case StageKind::Up2: return StageKind::Down2;
        case StageKind::Down2: return StageKind::Up2;
        case StageKind::Up3Down2: return StageKind::Up2Down3;
        case StageKind::Up2Down3: return StageKind::Up3Down2;
        case StageKind::Up160Down147: return StageKind::Up147Down160;
        case StageKind::Up147Down160: return StageKind::Up160Down147;
        case StageKind::Down3: return StageKind::Up3;
        case StageKind::Up3: return StageKind::Down3;
        default: return StageKind::None;
    }
}

}  // namespace

// Every planned chain reaches its output rate, and the operation picked from each
// stage's rates (forward and back) is the planned kind and its inverse.
TEST(SRCInternalPlan, ChainsReachTheirRatesWithConsistentKinds) {
    for (const qx::RatePlan& plan : qx::kRatePlans) {
        SRCInternal src;
        InitFor(src, plan.inputRate, plan.outputRate, 480);
        const uint32_t count = src.StageCount();
        ASSERT_GE(count, 1u) << plan.inputRate << "->" << plan.outputRate;
        EXPECT_EQ(src.Rate(count), plan.outputRate);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(src.Kind(i), plan.kinds[i]);
            EXPECT_EQ(src.ForwardStage(i).Kind(), plan.kinds[i]);
            EXPECT_EQ(src.ReverseStage(count - 1 - i).Kind(), Inverse(plan.kinds[i]))
                << plan.inputRate << "->" << plan.outputRate << " stage " << i;
        }
        const bool hostRate = plan.outputRate == 44100 || plan.outputRate == 48000;
        EXPECT_TRUE(hostRate || plan.outputRate == 16000 || plan.outputRate == 14700);
    }
}

TEST(SRCInternalPlan, BlockSizesOfTheChains) {
    SRCInternal src;
    EXPECT_EQ(InitFor(src, 48000, 44100, 480), 441u);
    EXPECT_EQ(src.StageCount(), 1);
    EXPECT_EQ(InitFor(src, 44100, 48000, 441), 480u);
    EXPECT_EQ(src.Kind(0), StageKind::Up160Down147);

    EXPECT_EQ(InitFor(src, 8000, 48000, 80), 480u);
    ASSERT_EQ(src.StageCount(), 2);
    EXPECT_EQ(src.BlockSize(1), 160u);
    EXPECT_EQ(src.ReverseStage(0).InputSize(), 480u);
    EXPECT_EQ(src.ReverseStage(0).OutputSize(), 160u);
    EXPECT_EQ(src.ReverseStage(1).InputSize(), 160u);
    EXPECT_EQ(src.ReverseStage(1).OutputSize(), 80u);

    EXPECT_EQ(InitFor(src, 96000, 16000, 960), 160u);
    EXPECT_EQ(src.BlockSize(1), 480u);
    EXPECT_EQ(src.Kind(0), StageKind::Down2);
    EXPECT_EQ(src.Kind(1), StageKind::Down3);

    EXPECT_EQ(InitFor(src, 8000, 44100, 80), 441u);  // 80 -> 160 -> 480 -> 441
    EXPECT_EQ(InitFor(src, 192000, 48000, 1920), 480u);
    EXPECT_EQ(InitFor(src, 11025, 48000, 110), 478u);  // 220, 440, then 478.9 truncates
    EXPECT_EQ(InitFor(src, 22050, 14700, 441), 294u);
    EXPECT_EQ(InitFor(src, 48000, 16000, 160), 53u);
}

TEST(SRCInternalPlan, UnsupportedAndEqualRatesConvertNothing) {
    const uint32_t pairs[][2] = {{32000, 48000}, {44100, 16000}, {11025, 16000}, {48000, 32000},
                                 {44100, 44100}, {48000, 48000}, {16000, 16000}, {0, 48000},
                                 {48000, 0},     {96000, 22050}};
    for (const auto& pair : pairs) {
        SRCInternal src;
        InitFor(src, 48000, 44100, 480);  // a plan before, to be cleared
        EXPECT_EQ(InitFor(src, pair[0], pair[1], 480), 480u) << pair[0] << "->" << pair[1];
        EXPECT_EQ(src.StageCount(), 0);
        EXPECT_EQ(src.BlockSize(1), 0u);  // nothing left of the plan before
        EXPECT_EQ(src.Rate(1), 0u);
        std::vector<float> buf = Ramp(1024);
        const std::vector<float> before = buf;
        src.Process(buf.data(), 0, 480, SRCInternal::Forward);
        src.Process(buf.data(), 0, 480, SRCInternal::Reverse);
        EXPECT_EQ(buf, before);
    }
    SRCInternal src;
    src.Init(32000, 48000, 77, nullptr, 2);  // no result pointer: nothing to write
    EXPECT_EQ(src.StageCount(), 0);
}

TEST(SRCInternalPlan, BlocksTheStageCannotConvertPassUnchanged) {
    SRCInternal src;
    // An odd block cannot be halved exactly: the half-band stage gets no filter state.
    EXPECT_EQ(InitFor(src, 96000, 48000, 961), 480u);
    EXPECT_FALSE(src.ForwardStage(0).HasFilterState());
    std::vector<float> buf = Ramp(961);
    std::vector<float> before = buf;
    src.Process(buf.data(), 0, 961, SRCInternal::Forward);
    EXPECT_EQ(buf, before);

    // Blocks that are not a multiple of 3 cannot take 2/3 exactly, nor their reverse 3/2.
    EXPECT_EQ(InitFor(src, 22050, 14700, 439), 292u);
    EXPECT_FALSE(src.ForwardStage(0).HasFilterState());
    EXPECT_FALSE(src.ReverseStage(0).HasFilterState());
    src.Process(buf.data(), 1, 439, SRCInternal::Forward);
    src.Process(buf.data(), 1, 292, SRCInternal::Reverse);
    EXPECT_EQ(buf, before);
    EXPECT_EQ(InitFor(src, 22050, 14700, 441), 294u);
    EXPECT_TRUE(src.ForwardStage(0).HasFilterState());
    EXPECT_TRUE(src.ReverseStage(0).HasFilterState());

    // A block larger than any planned passes; so do unknown channels and directions.
    SRCInternal fresh;
    InitFor(fresh, 44100, 48000, 441, 2);
    buf = Ramp(1024);
    before = buf;
    fresh.Process(buf.data(), 0, 442, SRCInternal::Forward);
    fresh.Process(buf.data(), 2, 441, SRCInternal::Forward);
    fresh.Process(buf.data(), 8, 441, SRCInternal::Forward);
    fresh.Process(buf.data(), 0xFFFFFFFF, 441, SRCInternal::Forward);
    fresh.Process(buf.data(), 0, 441, 2);
    fresh.Process(buf.data(), 0, 0, SRCInternal::Forward);
    fresh.Process(nullptr, 0, 441, SRCInternal::Forward);
    EXPECT_EQ(buf, before);

    // A channel count of 0 prepares nothing to convert.
    InitFor(fresh, 44100, 48000, 441, 0);
    fresh.Process(buf.data(), 0, 441, SRCInternal::Forward);
    EXPECT_EQ(buf, before);
}

TEST(SRCInternalPlan, HugeBlocksGetNoBuffersAndPassThrough) {
    SRCInternal src;
    const uint32_t reported = InitFor(src, 44100, 48000, 0xFFFFFFFFu, 8);
    EXPECT_EQ(reported, static_cast<uint32_t>(48000ull * 0xFFFFFFFFull / 44100));
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(0), nullptr);
    std::vector<float> buf = Ramp(64);
    const std::vector<float> before = buf;
    src.Process(buf.data(), 0, 32, SRCInternal::Forward);
    EXPECT_EQ(buf, before);
    // A later, ordinary Init works again.
    EXPECT_EQ(InitFor(src, 44100, 48000, 441), 480u);
    EXPECT_NE(src.ForwardStage(0).ChannelBuffer(1), nullptr);
}

TEST(SRCInternalPlan, SecondInitKeepsLargeEnoughBuffersAndAddsChannels) {
    SRCInternal src;
    InitFor(src, 96000, 48000, 960, 2);
    const float* kept0 = src.ForwardStage(0).ChannelBuffer(0);
    const float* kept1 = src.ForwardStage(0).ChannelBuffer(1);
    ASSERT_NE(kept0, nullptr);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(2), nullptr);
    EXPECT_EQ(src.ForwardStage(0).Capacity(), 960u + 66u);

    InitFor(src, 96000, 48000, 960, 4);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(0), kept0);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(1), kept1);
    EXPECT_NE(src.ForwardStage(0).ChannelBuffer(3), nullptr);
    std::vector<float> buf(960, 1.0f);
    src.Process(buf.data(), 3, 960, SRCInternal::Forward);
    EXPECT_NE(buf[100], 1.0f);  // converted: the filter starts from silence

    // Smaller blocks keep the capacity; a larger one replaces every buffer.
    InitFor(src, 96000, 48000, 480, 4);
    EXPECT_EQ(src.ForwardStage(0).Capacity(), 960u + 66u);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(0), kept0);
    InitFor(src, 96000, 48000, 1920, 2);
    EXPECT_EQ(src.ForwardStage(0).Capacity(), 1920u + 66u);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(2), nullptr);
}

// Init clears the FIR delay lines and the phases, but the input history of the 160/147
// stages lives in the channel buffer and survives where the buffer is kept.
TEST(SRCInternalPlan, InitResetsFilterMemoryButKeepsPolyphaseHistory) {
    SRCInternal src;
    std::vector<float> buf;

    InitFor(src, 96000, 48000, 960, 1);
    buf.assign(960, 0.5f);
    src.Process(buf.data(), 0, 960, SRCInternal::Forward);
    InitFor(src, 96000, 48000, 960, 1);
    buf.assign(960, 0.0f);
    src.Process(buf.data(), 0, 960, SRCInternal::Forward);
    for (size_t i = 0; i < 480; ++i) ASSERT_EQ(buf[i], 0.0f) << i;

    InitFor(src, 44100, 48000, 441, 1);
    buf.assign(480, 0.5f);
    src.Process(buf.data(), 0, 441, SRCInternal::Forward);
    // Leave the phase somewhere else, then plan again with one more channel.
    src.Process(buf.data(), 0, 100, SRCInternal::Forward);
    EXPECT_NE(src.ForwardStage(0).Phase(0), 0u);
    InitFor(src, 44100, 48000, 441, 2);
    EXPECT_EQ(src.ForwardStage(0).Phase(0), 0u);
    std::vector<float> silent(480, 0.0f);
    buf = silent;
    src.Process(buf.data(), 0, 441, SRCInternal::Forward);
    EXPECT_NE(buf[0], 0.0f);  // the kept inputs still ring out
    buf = silent;
    src.Process(buf.data(), 1, 441, SRCInternal::Forward);
    EXPECT_EQ(buf, silent);  // the new channel starts from silence
}

// The benchmarks' cost figure: a polyphase stage works one row of taps per output (20 for
// 44.1 to 48 kHz; 22 for 48 to 44.1 kHz, whose rows of 24 end in two zero taps); no
// stage, no work.
TEST(SRCInternalPlan, PolyphaseStagesCostOneRowOfTapsPerOutput) {
    EXPECT_EQ(20.0, ConversionStage::MultiplyAddsPerOutput(StageKind::Up160Down147));
    EXPECT_EQ(22.0, ConversionStage::MultiplyAddsPerOutput(StageKind::Up147Down160));
    EXPECT_EQ(0.0, ConversionStage::MultiplyAddsPerOutput(StageKind::None));
}
