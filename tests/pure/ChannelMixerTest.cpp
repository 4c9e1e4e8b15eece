#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "processors/ChannelMixer.h"

namespace {

constexpr int32_t kInvalidArg = int32_t(0x80070057u);
constexpr uint32_t kFrames = 70;          // longer than the mixers' internal blocks, not a multiple
constexpr uint32_t kMixed = kFrames - 3;  // frames given to a call: the rest must stay
constexpr float kGuard = -777.0f;         // one sample behind each buffer's frames

// Eight planar channels; channel k holds (k + 1) x (n + 1) in frame n.
struct Channels {
    std::array<std::vector<float>, 8> data;
    float* table[8];
    Channels() {
        for (uint32_t k = 0; k < 8; ++k) {
            data[k].assign(kFrames + 1, kGuard);
            for (uint32_t n = 0; n < kFrames; ++n) data[k][n] = Ramp(k, n);
            table[k] = data[k].data();
        }
    }
    static float Ramp(uint32_t k, uint32_t n) { return float((k + 1) * (n + 1)); }
    bool Untouched() const {
        for (uint32_t k = 0; k < 8; ++k)
            for (uint32_t n = 0; n <= kFrames; ++n)
                if (data[k][n] != (n < kFrames ? Ramp(k, n) : kGuard)) return false;
        return true;
    }
};

// Frame 0 of each result worked out by hand from the layouts' formulas (g = 0.707,
// h = 0.70710677, f = 0.5976143, c = 0.5345225, s = 0.5005609, r = 0.7079); frame n is
// that times n + 1. E marks a channel filled with 1e-12, which does not scale.
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

void ExpectMixed(const Channels& ch, const Case& tc) {
    for (uint32_t k = 0; k < 8; ++k) {
        for (uint32_t n = 0; n < kFrames; ++n) {
            const double want = n >= kMixed ? Channels::Ramp(k, n) : tc.y[k] == E ? 1e-12 : tc.y[k] * (n + 1);
            ASSERT_NEAR(ch.data[k][n], want, std::abs(want) * 1e-6) << "channel " << k << " frame " << n;
        }
        EXPECT_EQ(ch.data[k][kFrames], kGuard);
    }
}

TEST(ChannelMixer, MixesGiveTheHandWorkedFrames) {
    for (const Case& tc : kDownCases) {
        SCOPED_TRACE(testing::Message() << "down " << tc.from << " -> " << tc.to);
        Channels ch;
        qx::MixDown(ch.table, tc.from, tc.to, kMixed);
        ExpectMixed(ch, tc);
    }
    for (const Case& tc : kUpCases) {
        SCOPED_TRACE(testing::Message() << "up " << tc.from << " -> " << tc.to);
        Channels ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, kMixed), 0);
        ExpectMixed(ch, tc);
        Channels none;  // no frames: still a success that touches nothing
        EXPECT_EQ(qx::MixUp(none.table, tc.from, tc.to, 0), 0);
        EXPECT_TRUE(none.Untouched());
    }
}

// The sums are built left to right as written, and the mix-down takes g (0.707) as the
// exact float, not h.
TEST(ChannelMixer, SumOrderAndConstantsAreExact) {
    Channels ch;
    for (float* x : ch.table) x[0] = 0.0f;
    ch.table[0][1] = 2e8f;  // surround, then front: the center and low-frequency part is lost
    ch.table[2][1] = 1.5f;
    ch.table[4][1] = -2e8f;
    ch.table[2][0] = 1.0f;  // center only
    qx::MixDown(ch.table, 6, 2, 2);
    EXPECT_EQ(ch.data[0][0], 0.707f);  // exactly the float nearest 0.707
    EXPECT_EQ(ch.data[1][0], 0.707f);
    EXPECT_EQ(ch.data[0][1], 0.0f);
}

// Pairs the mixers do not know, or periods without frames, leave every buffer as it was.
TEST(ChannelMixer, UnknownPairsTouchNothing) {
    const struct {
        uint32_t from, to;
        int32_t result;
    } ups[] = {
        {4, 4, 1}, {6, 2, 1}, {8, 8, 1}, {0, 0, 1}, {9, 3, 1},
        {2, 5, kInvalidArg}, {2, 3, kInvalidArg}, {1, 2, kInvalidArg}, {3, 6, kInvalidArg},
        {6, 7, kInvalidArg}, {4, 9, kInvalidArg}, {2, 0xFFFFFFFFu, kInvalidArg},
    };
    for (const auto& tc : ups) {
        Channels ch;
        EXPECT_EQ(qx::MixUp(ch.table, tc.from, tc.to, kFrames), tc.result) << tc.from << " -> " << tc.to;
        EXPECT_TRUE(ch.Untouched()) << tc.from << " -> " << tc.to;
    }
    EXPECT_EQ(qx::MixUp(nullptr, 2, 4, kFrames), kInvalidArg);
    EXPECT_EQ(qx::MixUp(nullptr, 4, 2, kFrames), 1);

    const uint32_t downs[][3] = {
        {6, 6, kFrames}, {6, 2, 0}, {2, 6, 0}, {8, 3, kFrames}, {6, 5, kFrames}, {8, 7, kFrames},
        {2, 1, kFrames}, {3, 2, kFrames}, {3, 5, kFrames}, {5, 6, kFrames}, {1, 4, kFrames},
        {2, 9, kFrames}, {4, 0xFFFFFFFFu, kFrames}, {0xFFFFFFFFu, 2, kFrames},
    };
    for (const auto& tc : downs) {
        Channels ch;
        qx::MixDown(ch.table, tc[0], tc[1], tc[2]);
        EXPECT_TRUE(ch.Untouched()) << tc[0] << " -> " << tc[1] << " x" << tc[2];
    }
    qx::MixDown(nullptr, 6, 2, kFrames);  // no table, nothing to do
}

}  // namespace
