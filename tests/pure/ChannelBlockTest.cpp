#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "processors/ChannelBlock.h"

using qx::ChannelBlock;

// The block only grows: a smaller request keeps it and its content.
TEST(ChannelBlock, OnlyGrows) {
    ChannelBlock block;
    EXPECT_EQ(block.Channel(0), nullptr);
    ASSERT_TRUE(block.Reserve(100));
    block.Channel(3)[99] = 5.0f;
    ASSERT_TRUE(block.Reserve(50));
    EXPECT_EQ(block.Channel(3)[99], 5.0f);
    ASSERT_TRUE(block.Reserve(200));
    EXPECT_EQ(block.Capacity(), 200u);
    EXPECT_EQ(block.Channel(3)[99], 0.0f);
}

// Every channel count and frame counts around the groups of four: eight zeroed buffers on
// 16-byte boundaries, disjoint, inside (frames + 4) x 32 bytes; the split puts sample i of
// channel c at buffer c, index i; the write-back through a reversing map puts buffer
// map[c] back at channel c; Clear zeroes the first frames of every buffer.
TEST(ChannelBlock, SplitInterleaveAndClear) {
    for (uint32_t channels = 1; channels <= ChannelBlock::kChannels; ++channels)
        for (uint32_t frames : {1u, 3u, 4u, 7u, 33u, 441u}) {
            SCOPED_TRACE(testing::Message() << channels << " channels, " << frames << " frames");
            ChannelBlock block;
            ASSERT_TRUE(block.Reserve(frames));
            for (uint32_t k = 0; k < ChannelBlock::kChannels; ++k) {
                const float* p = block.Channel(k);
                ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << "buffer " << k;
                EXPECT_TRUE(k == 0 || p >= block.Channel(k - 1) + frames) << "overlap";
                EXPECT_EQ(std::vector<float>(p, p + frames), std::vector<float>(frames, 0.0f));
            }
            EXPECT_LE((block.Channel(7) + frames - block.Channel(0)) * sizeof(float), (frames + 4) * 32);
            std::vector<float> in(size_t(channels) * frames);
            for (size_t k = 0; k < in.size(); ++k) in[k] = float(k + 1);
            block.Split(in.data(), channels, frames);
            std::vector<uint8_t> map(channels);
            for (uint32_t c = 0; c < channels; ++c) map[c] = uint8_t(channels - 1 - c);
            std::vector<float> out(in.size() + 1, -1.0f);
            block.Interleave(out.data(), channels, frames, map.data());
            for (uint32_t i = 0; i < frames; ++i)
                for (uint32_t c = 0; c < channels; ++c)
                    ASSERT_EQ(out[size_t(i) * channels + c], float(i * channels + (channels - 1 - c) + 1));
            EXPECT_EQ(out.back(), -1.0f);  // nothing written past the period
            block.Clear(frames - 1);
            EXPECT_EQ(block.Channel(channels - 1)[0], frames > 1 ? 0.0f : float(channels));
            EXPECT_EQ(block.Channel(0)[frames - 1], float((frames - 1) * channels + 1));
        }
    // The free forms skip a missing buffer; it reads as silence.
    float a[2] = {}, b[2] = {};
    float* planar[3] = {a, nullptr, b};
    const float in[] = {1, 2, 3, 4, 5, 6};
    qx::SplitInterleaved(in, 3, 2, planar);
    float out[6];
    qx::InterleavePlanar(planar, 3, 2, out);
    EXPECT_EQ(std::vector<float>(out, out + 6), (std::vector<float>{1, 0, 3, 4, 0, 6}));
}
