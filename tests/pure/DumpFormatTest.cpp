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

TEST(DumpFormat, FullScaleAndQuarterScale) {
    EXPECT_EQ(qx::DumpSample(1.0f), 32767);
    EXPECT_EQ(qx::DumpSample(-1.0f), -32767);
    EXPECT_EQ(qx::DumpSample(0.25f), 8192);    // 8191.75 rounds up
    EXPECT_EQ(qx::DumpSample(-0.25f), -8192);  // and away from zero below it
    EXPECT_EQ(qx::DumpSample(0.0f), 0);
    EXPECT_EQ(qx::DumpSample(-0.0f), 0);
}

TEST(DumpFormat, HalvesRoundAwayFromZeroInSinglePrecision) {
    // x * 32767 is 0.49998.. in exact arithmetic but rounds to 0.5 in single precision,
    // so the stored value is 1 (a double-precision conversion would give 0).
    const float justBelowHalfStep = FromBits(0x37800100u);
    EXPECT_EQ(qx::DumpSample(justBelowHalfStep), 1);
    EXPECT_EQ(qx::DumpSample(-justBelowHalfStep), -1);
    // Just below a half step even in single precision: truncated down.
    EXPECT_EQ(qx::DumpSample(0.49f / 32767.0f), 0);
    EXPECT_EQ(qx::DumpSample(-0.49f / 32767.0f), 0);
    EXPECT_EQ(qx::DumpSample(1.5f / 32767.0f), 2);
    EXPECT_EQ(qx::DumpSample(-1.5f / 32767.0f), -2);
}

TEST(DumpFormat, OutOfRangeSamplesWrapInsteadOfClamping) {
    EXPECT_EQ(qx::DumpSample(2.0f), -2);        // 65534 = 0xFFFE
    EXPECT_EQ(qx::DumpSample(-2.0f), 2);        // -65534 = 0x...0002
    EXPECT_EQ(qx::DumpSample(1.5f), -16385);    // 49151 = 0xBFFF
    EXPECT_EQ(qx::DumpSample(1000.0f), -1000);  // 32767000 = 0x01F3FC18
    EXPECT_EQ(qx::DumpSample(-1000.0f), 1000);
    EXPECT_EQ(qx::DumpSample(65536.0f), 0);     // 0x7FFF0000, still a valid 32-bit value
    // Beyond 32 bits (and NaN) the conversion yields 0x80000000, whose low half is 0.
    EXPECT_EQ(qx::DumpSample(70000.0f), 0);
    EXPECT_EQ(qx::DumpSample(-1e30f), 0);
    EXPECT_EQ(qx::DumpSample(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(qx::DumpSample(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(DumpFormat, BytesAreLittleEndian) {
    uint8_t b[2];
    qx::DumpSampleBytes(-1.0f, b);  // -32767 = 0x8001
    EXPECT_EQ(b[0], 0x01);
    EXPECT_EQ(b[1], 0x80);
    qx::DumpSampleBytes(0.25f, b);  // 8192 = 0x2000
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[1], 0x20);
}

}  // namespace
