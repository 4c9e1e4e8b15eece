#include "tests/support/WaveFormats.h"

#include <gtest/gtest.h>

#include <vector>

namespace qx::test {

WAVEFORMATEX FloatFormat(uint32_t rate, uint16_t channels) {
    const WORD align = WORD(channels * 4);  // 32-bit samples
    return {WAVE_FORMAT_IEEE_FLOAT, channels, rate, align * rate, align, 32, 0};
}

namespace {
// Every field, in declaration order, so that a failure prints both formats whole.
std::vector<uint32_t> Fields(const WAVEFORMATEX& f) {
    return {f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec, f.nBlockAlign, f.wBitsPerSample, f.cbSize};
}
}  // namespace

void ExpectFloatFormat(const WAVEFORMATEX& actual, uint32_t rate, uint16_t channels) {
    EXPECT_EQ(Fields(FloatFormat(rate, channels)), Fields(actual));
}

}  // namespace qx::test
