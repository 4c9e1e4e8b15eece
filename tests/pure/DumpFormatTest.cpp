#include <gtest/gtest.h>

#include <limits>

#include "processors/DumpFormat.h"

namespace {

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
        {0x1.0002p-16f, 1}, {-0x1.0002p-16f, -1},  // bits 0x37800100
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
    for (const auto& c : cases) EXPECT_EQ(qx::DumpSample(c.x), c.stored) << c.x;
}

}  // namespace
