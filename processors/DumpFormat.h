#pragma once
// The sample conversion of the PCM dump: float to 16-bit as the dump file stores it.
// Pure C++.
#include <cstdint>

namespace qx {

// Scales by 32767, rounds half away from zero in single precision and keeps the low 16
// bits of the truncated 32-bit value: nothing is clamped, so samples beyond +-1.0 wrap.
int16_t DumpSample(float sample);

// The two bytes of DumpSample(sample) in file order (little-endian).
void DumpSampleBytes(float sample, uint8_t bytes[2]);

}  // namespace qx
