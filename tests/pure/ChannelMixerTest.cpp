#include <gtest/gtest.h>

#include <array>
#include <cmath>
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
};

void ExpectUntouched(const Channels& ch) {
    for (uint32_t k = 0; k < 8; ++k) {
        for (uint32_t n = 0; n < kFrames; ++n) ASSERT_EQ(Bits(ch.data[k][n]), Bits(Channels::Sample(k, n))) << k << " " << n;
        for (uint32_t n = kFrames; n < kFrames + kSlack; ++n) EXPECT_EQ(ch.data[k][n], kGuard);
    }
}

// Each channel k holds k + 1 in every frame, times the frame's number plus one; the
// expected frame for the factor 1 is worked out by hand from the layouts' formulas
// (g = 0.707, h = 0.70710677, f = 0.5976143, c = 0.5345225, s = 0.5005609, r = 0.7079).
// E marks a channel filled with 1e-12, which does not scale with the frame.
constexpr double E = -1.0;
struct Case {
    uint32_t from, to;
    double y[8];
};
const Case kDownCases[] = {
    {4, 2, {4, 6, 3, 4, 5, 6, 7, 8}},
    {6, 2, {10.949, 12.949, 3, 4, 5, 6, 7, 8}},
    {6, 4, {5.949, 6.949, 5, 6, 5, 6, 7, 8}},
    {8, 2, {17.949, 20.949, 3, 4, 5, 6, 7, 8}},
    {8, 4, {5.949, 6.949, 12, 14, 5, 6, 7, 8}},
    {8, 6, {1, 2, 3, 4, 12, 14, 7, 8}},
    {2, 3, {1, 2, E, 4, 5, 6, 7, 8}},
    {2, 6, {1, 2, E, E, E, E, 7, 8}},
    {2, 8, {1, 2, E, E, E, E, E, E}},
    {4, 5, {1, 2, E, E, 3, 4, 7, 8}},
    {4, 6, {1, 2, E, E, 3, 4, 7, 8}},
    {4, 7, {1, 2, E, E, 3, 4, E, 8}},
    {4, 8, {1, 2, E, E, 3, 4, E, E}},
    {6, 7, {1, 2, 3, 4, 5, 6, E, 8}},
    {6, 8, {1, 2, 3, 4, 5, 6, E, E}},
};
const Case kUpCases[] = {
    {2, 4, {0.70710677, 1.41421354, 0.70710677, 1.41421354, 5, 6, 7, 8}},
    {2, 6, {0.5976143, 1.1952286, 1.6035675, 4, 0.70710677, 1.41421354, 7, 8}},
    {2, 8, {0.5976143, 1.1952286, 1.6035675, 4, 0.5005609, 1.0011218, 0.5005609, 1.0011218}},
    {4, 6, {1, 2, 1.6035675, 0, 3, 4, 7, 8}},
    {4, 8, {1, 2, 1.6035675, 0, 2.1237, 2.8316, 2.1237, 2.8316}},
    {6, 8, {1, 2, 3, 4, 3.5395, 4.2474, 3.5395, 4.2474}},
};

struct Ramp {
    std::array<std::vector<float>, 8> data;
    float* table[8];
    Ramp() {
        for (uint32_t k = 0; k < 8; ++k) {
            data[k].assign(kFrames + kSlack, kGuard);
            for (uint32_t n = 0; n < kFrames; ++n) data[k][n] = float((k + 1) * (n + 1));
            table[k] = data[k].data();
        }
    }
};

void ExpectMixed(const Ramp& ch, const Case& tc) {
    for (uint32_t k = 0; k < 8; ++k) {
        for (uint32_t n = 0; n < kFrames; ++n) {
            const double want = n >= kMixed ? (k + 1) * (n + 1.0) : tc.y[k] == E ? 1e-12 : tc.y[k] * (n + 1);
            ASSERT_NEAR(ch.data[k][n], want, std::abs(want) * 1e-6) << "channel " << k << " frame " << n;
        }
        for (uint32_t n = kFrames; n < kFrames + kSlack; ++n) EXPECT_EQ(ch.data[k][n], kGuard);
    }
}

TEST(ChannelMixer, MixDownGivesTheHandWorkedFrames) {
    for (const Case& tc : kDownCases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to);
        Ramp ch;
        qx::MixDown(ch.table, tc.from, tc.to, kMixed);
        ExpectMixed(ch, tc);
    }
}

TEST(ChannelMixer, MixUpGivesTheHandWorkedFrames) {
    for (const Case& tc : kUpCases) {
        SCOPED_TRACE(testing::Message() << tc.from << " -> " << tc.to);
        Ramp ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, kMixed), 0);
        ExpectMixed(ch, tc);
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
