#include "processors/DumpFormat.h"

namespace qx {

// Placeholder until the dump conversion lands.
int16_t DumpSample(float sample) { return int16_t(int32_t(sample * 32767.0f)); }

}  // namespace qx
