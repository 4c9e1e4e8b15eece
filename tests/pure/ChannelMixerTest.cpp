#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "processors/ChannelMixer.h"

namespace {

constexpr int32_t kInvalidArg = int32_t(0x80070057u);
constexpr uint32_t kFrames = 70;  // longer than the mixers' internal blocks, not a multiple
constexpr uint32_t kMixed = kFrames - 3;  // frames given to a call: the rest must stay
constexpr uint32_t kSlack = 3;            // guard samples behind the buffers' frames
constexpr float kGuard = -777.0f;

uint32_t Bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

using Frame = std::array<float, 8>;

// Eight planar channels of kFrames frames (plus guard samples), filled so that channels
// and frames differ and that the order of the sums shows in the results: a huge and a tiny
// term cancel differently depending on which is added first.
struct Channels {
    std::array<std::vector<float>, 8> data;
    float* table[8];

    Channels() {
        for (uint32_t k = 0; k < 8; ++k) {
            data[k].assign(kFrames + kSlack, kGuard);
            for (uint32_t n = 0; n < kFrames; ++n) data[k][n] = Sample(k, n);
            table[k] = data[k].data();
        }
    }
    static float Sample(uint32_t k, uint32_t n) {
        static const Frame rows[] = {
            {0.1f, -0.2f, 0.3f, 0.4f, -0.5f, 0.6f, 0.7f, -0.8f},
            {1e8f, -1e8f, 0.3f, 0.05f, -1e8f, 1e8f, 3.0f, -3.0f},
            {-1.0f, 1.0f, -0.25f, 0.75f, 1e-3f, -1e-3f, 1e7f, -1e7f},
            {0.0f, -0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
            {3.3e-5f, 7.1e3f, -2.2e4f, 1.9e-7f, 0.333f, -0.667f, 12.5f, 1e-12f},
            {16777216.0f, 1.0f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, -16777216.0f},
        };
        return rows[n % 6][k] * float(1 + n % 5);
    }
    Frame FrameAt(uint32_t n) const {
        Frame f;
        for (uint32_t k = 0; k < 8; ++k) f[k] = data[k][n];
        return f;
    }
};

void ExpectFramesBitEqual(const Channels& ch, uint32_t frames, Frame (*expected)(Frame)) {
    for (uint32_t n = 0; n < kFrames; ++n) {
        Frame before;
        for (uint32_t k = 0; k < 8; ++k) before[k] = Channels::Sample(k, n);
        const Frame want = n < frames ? expected(before) : before;
        const Frame got = ch.FrameAt(n);
        for (uint32_t k = 0; k < 8; ++k)
            ASSERT_EQ(Bits(got[k]), Bits(want[k])) << "frame " << n << " channel " << k << ": " << got[k]
                                                   << " want " << want[k];
    }
    for (uint32_t k = 0; k < 8; ++k)
        for (uint32_t n = kFrames; n < kFrames + kSlack; ++n) EXPECT_EQ(ch.data[k][n], kGuard);
}

void ExpectUntouched(const Channels& ch) { ExpectFramesBitEqual(ch, 0, [](Frame x) { return x; }); }

// The formulas written out one pair at a time, each left to right as the layout tables
// give them.
struct Case {
    uint32_t from, to;
    Frame (*expected)(Frame);
};

constexpr float g = 0.707f, h = 0.70710677f, f = 0.5976143f, c = 0.5345225f, s = 0.5005609f, r = 0.7079f;
constexpr float e = 1e-12f;

const Case kDownCases[] = {
    {4, 2, [](Frame x) { Frame y = x; y[0] = x[0] + x[2]; y[1] = x[1] + x[3]; return y; }},
    {6, 2, [](Frame x) { Frame y = x; y[0] = (x[2] + x[3]) * g + x[4] + x[0]; y[1] = (x[2] + x[3]) * g + x[5] + x[1]; return y; }},
    {6, 4, [](Frame x) { Frame y = x; y[0] = (x[3] + x[2]) * g + x[0]; y[1] = x[1] + (x[3] + x[2]) * g; y[2] = x[4]; y[3] = x[5]; return y; }},
    {8, 2, [](Frame x) { Frame y = x; y[0] = (x[2] + x[3]) * g + x[4] + x[6] + x[0]; y[1] = (x[2] + x[3]) * g + x[5] + x[7] + x[1]; return y; }},
    {8, 4, [](Frame x) { Frame y = x; y[0] = (x[3] + x[2]) * g + x[0]; y[1] = x[1] + (x[3] + x[2]) * g; y[2] = x[4] + x[6]; y[3] = x[5] + x[7]; return y; }},
    {8, 6, [](Frame x) { Frame y = x; y[4] = x[4] + x[6]; y[5] = x[5] + x[7]; return y; }},
    {2, 3, [](Frame x) { Frame y = x; y[2] = e; return y; }},
    {2, 6, [](Frame x) { Frame y = x; y[2] = y[3] = y[4] = y[5] = e; return y; }},
    {2, 8, [](Frame x) { Frame y = x; for (int k = 2; k < 8; ++k) y[k] = e; return y; }},
    {4, 5, [](Frame x) { Frame y = x; y[4] = x[2]; y[5] = x[3]; y[2] = y[3] = e; return y; }},
    {4, 6, [](Frame x) { Frame y = x; y[4] = x[2]; y[5] = x[3]; y[2] = y[3] = e; return y; }},
    {4, 7, [](Frame x) { Frame y = x; y[4] = x[2]; y[5] = x[3]; y[2] = y[3] = y[6] = e; return y; }},
    {4, 8, [](Frame x) { Frame y = x; y[4] = x[2]; y[5] = x[3]; y[2] = y[3] = y[6] = y[7] = e; return y; }},
    {6, 7, [](Frame x) { Frame y = x; y[6] = e; return y; }},
    {6, 8, [](Frame x) { Frame y = x; y[6] = y[7] = e; return y; }},
};

const Case kUpCases[] = {
    {2, 4, [](Frame x) { Frame y = x; y[0] = x[0] * h; y[1] = x[1] * h; y[2] = x[0] * h; y[3] = x[1] * h; return y; }},
    {2, 6, [](Frame x) { Frame y = x; y[2] = (x[1] + x[0]) * c; y[0] = x[0] * f; y[1] = x[1] * f; y[4] = x[0] * h; y[5] = x[1] * h; return y; }},
    {2, 8, [](Frame x) { Frame y = x; y[4] = x[0] * s; y[5] = x[1] * s; y[2] = (x[0] + x[1]) * c; y[0] = x[0] * f; y[1] = x[1] * f; y[6] = y[4]; y[7] = y[5]; return y; }},
    {4, 6, [](Frame x) { Frame y = x; y[4] = x[2]; y[5] = x[3]; y[2] = (x[1] + x[0]) * c; y[3] = 0.0f; return y; }},
    {4, 8, [](Frame x) { Frame y = x; y[4] = x[2] * r; y[5] = x[3] * r; y[2] = (x[0] + x[1]) * c; y[3] = 0.0f; y[6] = y[4]; y[7] = y[5]; return y; }},
    {6, 8, [](Frame x) { Frame y = x; y[4] = x[4] * r; y[5] = x[5] * r; y[6] = y[4]; y[7] = y[5]; return y; }},
};

TEST(ChannelMixer, MixDownFollowsEveryTableRowBitForBit) {
    for (const Case& tc : kDownCases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to);
        Channels ch;
        qx::MixDown(ch.table, tc.from, tc.to, kMixed);
        ExpectFramesBitEqual(ch, kMixed, tc.expected);
    }
}

TEST(ChannelMixer, MixUpFollowsEveryTableRowBitForBit) {
    for (const Case& tc : kUpCases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to);
        Channels ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, kMixed), 0);
        ExpectFramesBitEqual(ch, kMixed, tc.expected);
    }
}

TEST(ChannelMixer, SumsAreBuiltInTheWrittenOrder) {
    // Frame 1 holds 2e8 in X0 and -2e8 in X4: adding the surround before the front loses
    // the center contribution, adding it after would keep it.
    Channels ch;
    qx::MixDown(ch.table, 6, 2, kFrames);
    EXPECT_EQ(ch.data[0][1], 0.0f);
    EXPECT_EQ(ch.data[1][1], 0.0f);
}

TEST(ChannelMixer, ConstantsHaveTheirExactBitPatterns) {
    Channels ch;
    for (uint32_t k = 0; k < 8; ++k) ch.data[k][0] = 0.0f;
    ch.data[2][0] = 1.0f;  // center only
    qx::MixDown(ch.table, 6, 2, 1);
    EXPECT_EQ(Bits(ch.data[0][0]), 0x3F34FDF4u);  // 0.707, not 1/sqrt(2)
    EXPECT_EQ(Bits(ch.data[1][0]), 0x3F34FDF4u);

    Channels pad;
    qx::MixDown(pad.table, 2, 6, kFrames);
    for (uint32_t k = 2; k < 6; ++k)
        for (uint32_t n = 0; n < kFrames; ++n) EXPECT_EQ(Bits(pad.data[k][n]), 0x2B8CBCCCu);
    for (uint32_t n = 0; n < kFrames; ++n) EXPECT_EQ(pad.data[0][n], Channels::Sample(0, n));

    Channels quad;
    quad.data[0][0] = 1.0f;
    quad.data[1][0] = 0.0f;
    EXPECT_EQ(qx::MixUp(quad.table, 2, 4, 1), 0);
    EXPECT_EQ(Bits(quad.data[0][0]), 0x3F3504F3u);
    EXPECT_EQ(Bits(quad.data[2][0]), 0x3F3504F3u);
    EXPECT_EQ(quad.data[1][0], 0.0f);
    EXPECT_EQ(quad.data[3][0], 0.0f);

    // Full-scale left, silent right: the remaining gains show up unmixed.
    Channels six, eight, rear;
    six.data[0][0] = eight.data[0][0] = 1.0f;
    six.data[1][0] = eight.data[1][0] = 0.0f;
    EXPECT_EQ(qx::MixUp(six.table, 2, 6, 1), 0);
    EXPECT_EQ(Bits(six.data[0][0]), Bits(0.5976143f));
    EXPECT_EQ(Bits(six.data[2][0]), Bits(0.5345225f));
    EXPECT_EQ(six.data[3][0], Channels::Sample(3, 0));  // LFE keeps what it held
    EXPECT_EQ(qx::MixUp(eight.table, 2, 8, 1), 0);
    EXPECT_EQ(Bits(eight.data[4][0]), Bits(0.5005609f));
    EXPECT_EQ(Bits(eight.data[6][0]), Bits(0.5005609f));
    rear.data[2][0] = 1.0f;
    EXPECT_EQ(qx::MixUp(rear.table, 4, 8, 1), 0);
    EXPECT_EQ(Bits(rear.data[4][0]), Bits(0.7079f));
    EXPECT_EQ(Bits(rear.data[7][0]), Bits(rear.data[5][0]));
}

TEST(ChannelMixer, MixUpRefusesWithoutTouchingAnyBuffer) {
    const struct {
        uint32_t from, to;
        int32_t result;
    } cases[] = {
        {4, 4, 1}, {6, 2, 1}, {8, 8, 1}, {0, 0, 1}, {9, 3, 1},
        {2, 5, kInvalidArg}, {2, 3, kInvalidArg}, {1, 2, kInvalidArg}, {3, 6, kInvalidArg},
        {6, 7, kInvalidArg}, {4, 9, kInvalidArg}, {2, 0xFFFFFFFFu, kInvalidArg},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to);
        Channels ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, kFrames), tc.result);
        ExpectUntouched(ch);
    }
    EXPECT_EQ(qx::MixUp(nullptr, 2, 4, kFrames), kInvalidArg);
    EXPECT_EQ(qx::MixUp(nullptr, 4, 2, kFrames), 1);
}

TEST(ChannelMixer, MixDownIgnoresUnlistedPairsAndEmptyPeriods) {
    const struct {
        uint32_t from, to, frames;
    } cases[] = {
        {6, 6, kFrames}, {6, 2, 0}, {2, 6, 0}, {8, 3, kFrames}, {6, 5, kFrames}, {8, 7, kFrames},
        {2, 1, kFrames}, {3, 2, kFrames}, {3, 5, kFrames}, {5, 6, kFrames}, {1, 4, kFrames},
        {2, 9, kFrames}, {4, 0xFFFFFFFFu, kFrames}, {0xFFFFFFFFu, 2, kFrames},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to << " x" << tc.frames);
        Channels ch;
        qx::MixDown(ch.table, tc.from, tc.to, tc.frames);
        ExpectUntouched(ch);
    }
    qx::MixDown(nullptr, 6, 2, kFrames);  // no table, nothing to do
}

TEST(ChannelMixer, ZeroFramesStillSucceeds) {
    for (const Case& tc : kUpCases) {
        Channels ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, 0), 0) << tc.from << " -> " << tc.to;
        ExpectUntouched(ch);
    }
}

}  // namespace
