#include "processors/DumpFormat.h"

namespace qx {
namespace {

// Float to int32 truncating toward zero; values the integer cannot hold (and NaN) give
// 0x80000000, the answer of the processor's own conversion instruction, instead of
// undefined behaviour.
int32_t Truncate(float v) {
    if (v >= -2147483648.0f && v < 2147483648.0f) return static_cast<int32_t>(v);
    return INT32_MIN;
}

}  // namespace

int16_t DumpSample(float sample) {
    // Each step rounds to single precision: the product first, then the half.
    const float scaled = sample * 32767.0f;
    const float rounded = sample >= 0.0f ? scaled + 0.5f : scaled - 0.5f;
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(Truncate(rounded)) & 0xFFFFu));
}

void DumpSampleBytes(float sample, uint8_t bytes[2]) {
    const uint16_t v = static_cast<uint16_t>(DumpSample(sample));
    bytes[0] = static_cast<uint8_t>(v & 0xFFu);
    bytes[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace qx
