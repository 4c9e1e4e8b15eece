#include "tests/support/WaveFormats.h"

#include <gtest/gtest.h>

namespace qx::test {

WAVEFORMATEX FloatFormat(uint32_t rate, uint16_t channels) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 32;
    f.nBlockAlign = WORD(channels * 4);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

void ExpectFloatFormat(const WAVEFORMATEX& actual, uint32_t rate, uint16_t channels) {
    const WAVEFORMATEX expected = FloatFormat(rate, channels);
    EXPECT_EQ(expected.wFormatTag, actual.wFormatTag);
    EXPECT_EQ(expected.nChannels, actual.nChannels);
    EXPECT_EQ(expected.nSamplesPerSec, actual.nSamplesPerSec);
    EXPECT_EQ(expected.nAvgBytesPerSec, actual.nAvgBytesPerSec);
    EXPECT_EQ(expected.nBlockAlign, actual.nBlockAlign);
    EXPECT_EQ(expected.wBitsPerSample, actual.wBitsPerSample);
    EXPECT_EQ(0, actual.cbSize);
}

}  // namespace qx::test
