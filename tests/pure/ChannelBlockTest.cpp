#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "processors/ChannelBlock.h"

using qx::ChannelBlock;

namespace {
bool Aligned(const float* p) { return reinterpret_cast<uintptr_t>(p) % 16 == 0; }
}  // namespace

TEST(ChannelBlock, CarvesEightAlignedDisjointZeroedBuffers) {
    for (uint32_t frames : {1u, 3u, 5u, 441u, 480u}) {
        ChannelBlock block;
        ASSERT_TRUE(block.Reserve(frames));
        EXPECT_EQ(block.Capacity(), frames);
        for (uint32_t k = 0; k < ChannelBlock::kChannels; ++k) {
            const float* p = block.Channel(k);
            ASSERT_NE(p, nullptr);
            EXPECT_TRUE(Aligned(p)) << frames << " frames, buffer " << k;
            if (k > 0) EXPECT_GE(p, block.Channel(k - 1) + frames);  // no overlap
            for (uint32_t i = 0; i < frames; ++i) EXPECT_EQ(p[i], 0.0f);
        }
        // The last buffer still ends inside the (frames + 4) x 32 bytes of the block.
        EXPECT_LE(reinterpret_cast<const unsigned char*>(block.Channel(7) + frames) -
                      reinterpret_cast<const unsigned char*>(block.Channel(0)),
                  std::ptrdiff_t((frames + 4) * 32));
    }
}

TEST(ChannelBlock, OnlyGrows) {
    ChannelBlock block;
    EXPECT_EQ(block.Capacity(), 0u);
    EXPECT_EQ(block.Channel(0), nullptr);
    ASSERT_TRUE(block.Reserve(100));
    block.Channel(3)[99] = 5.0f;
    float* before = block.Channel(3);
    ASSERT_TRUE(block.Reserve(50));  // smaller: the same block, content kept
    EXPECT_EQ(block.Channel(3), before);
    EXPECT_EQ(block.Channel(3)[99], 5.0f);
    ASSERT_TRUE(block.Reserve(200));  // larger: a new zeroed block
    EXPECT_EQ(block.Capacity(), 200u);
    EXPECT_EQ(block.Channel(3)[99], 0.0f);
}

TEST(ChannelBlock, SplitClearAndInterleaveWithAMap) {
    ChannelBlock block;
    ASSERT_TRUE(block.Reserve(4));
    const float in[] = {0, 1, 2, 10, 11, 12, 20, 21, 22, 30, 31, 32};  // 4 frames, 3 channels
    block.Split(in, 3, 4);
    EXPECT_EQ(block.Channel(1)[2], 21.0f);
    EXPECT_EQ(block.Channel(2)[3], 32.0f);

    const uint8_t map[] = {2, 1, 0};
    std::vector<float> out(12, -1.0f);
    block.Interleave(out.data(), 3, 4, map);
    EXPECT_EQ(out, (std::vector<float>{2, 1, 0, 12, 11, 10, 22, 21, 20, 32, 31, 30}));

    block.Clear(2);
    EXPECT_EQ(block.Channel(0)[1], 0.0f);
    EXPECT_EQ(block.Channel(0)[2], 20.0f);  // beyond the cleared frames
}

TEST(ChannelBlock, FreeFormsSkipMissingBuffers) {
    float a[2] = {}, b[2] = {};
    float* planar[3] = {a, nullptr, b};
    const float in[] = {1, 2, 3, 4, 5, 6};
    qx::SplitInterleaved(in, 3, 2, planar);
    EXPECT_EQ(a[1], 4.0f);
    EXPECT_EQ(b[0], 3.0f);
    float out[6];
    qx::InterleavePlanar(planar, 3, 2, out);
    EXPECT_EQ(out[1], 0.0f);  // the missing buffer reads as silence
    EXPECT_EQ(out[5], 6.0f);
}

// Every channel count and frame counts around the groups of four: the split puts sample
// i of channel c at buffer c, index i, and the write-back through a reversing map puts
// buffer map[c] back at channel c.
TEST(ChannelBlock, SplitAndInterleaveEveryChannelCount) {
    for (uint32_t channels = 1; channels <= ChannelBlock::kChannels; ++channels)
    for (uint32_t frames : {1u, 3u, 4u, 7u, 33u}) {
        SCOPED_TRACE(testing::Message() << channels << " channels, " << frames << " frames");
        ChannelBlock block;
        ASSERT_TRUE(block.Reserve(frames));
        std::vector<float> in(size_t(channels) * frames);
        for (size_t k = 0; k < in.size(); ++k) in[k] = float(k);
        block.Split(in.data(), channels, frames);
        for (uint32_t c = 0; c < channels; ++c)
            for (uint32_t i = 0; i < frames; ++i) ASSERT_EQ(block.Channel(c)[i], float(i * channels + c));
        std::vector<uint8_t> map(channels);
        for (uint32_t c = 0; c < channels; ++c) map[c] = uint8_t(channels - 1 - c);
        std::vector<float> out(in.size() + 1, -1.0f);
        block.Interleave(out.data(), channels, frames, map.data());
        for (uint32_t i = 0; i < frames; ++i)
            for (uint32_t c = 0; c < channels; ++c)
                ASSERT_EQ(out[size_t(i) * channels + c], float(i * channels + (channels - 1 - c)));
        EXPECT_EQ(out.back(), -1.0f);  // nothing written past the period
    }
}
