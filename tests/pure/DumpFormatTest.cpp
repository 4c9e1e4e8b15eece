#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "processors/DumpFormat.h"

namespace {

float FromBits(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// x * 32767 rounded half away from zero in single precision, truncated to 32 bits, and
// its low 16 bits kept: no clamping, so values outside [-1, 1] wrap.
TEST(DumpFormat, SamplesRoundAwayFromZeroAndWrap) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float x;
        int16_t stored;
    } cases[] = {
        {1.0f, 32767}, {-1.0f, -32767}, {0.25f, 8192}, {-0.25f, -8192}, {0.0f, 0}, {-0.0f, 0},
        // 0.49998.. in exact arithmetic, but 0.5 once multiplied in single precision.
        {FromBits(0x37800100u), 1}, {-FromBits(0x37800100u), -1},
        {0.49f / 32767.0f, 0}, {-0.49f / 32767.0f, 0}, {1.5f / 32767.0f, 2}, {-1.5f / 32767.0f, -2},
        {2.0f, -2},            // 65534 = 0xFFFE
        {-2.0f, 2},
        {1.5f, -16385},        // 49151 = 0xBFFF
        {1000.0f, -1000},      // 32767000 = 0x01F3FC18
        {-1000.0f, 1000},
        {65536.0f, 0},         // 0x7FFF0000
        // Beyond 32 bits (and NaN) the conversion yields 0x80000000, whose low half is 0.
        {70000.0f, 0}, {-1e30f, 0}, {inf, 0}, {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qx::DumpSample(c.x), c.stored) << c.x;
        uint8_t b[2];
        qx::DumpSampleBytes(c.x, b);
        EXPECT_EQ(int16_t(b[0] | b[1] << 8), c.stored) << "low byte first: " << c.x;
    }
}

}  // namespace
