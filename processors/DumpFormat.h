#pragma once
// The sample conversion of the PCM dump: float to 16-bit as the dump file stores it.
// Pure C++.
#include <cstdint>

namespace qx {

int16_t DumpSample(float sample);

}  // namespace qx
