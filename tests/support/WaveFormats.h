#pragma once
// The stream format the processors hand their components: planar 32-bit float.
#include <windows.h>
#include <mmreg.h>

#include <cstdint>

namespace qx::test {

// The float format of `channels` channels at `rate`, with no extra bytes.
WAVEFORMATEX FloatFormat(uint32_t rate, uint16_t channels);

// Expects `actual` to be FloatFormat(rate, channels), field by field.
void ExpectFloatFormat(const WAVEFORMATEX& actual, uint32_t rate, uint16_t channels);

}  // namespace qx::test
