#include "resample/SRCInternal.h"

namespace qx {

// Placeholder until the converter lands: plans no stage, so Process changes nothing.
SRCInternal::SRCInternal() = default;
SRCInternal::~SRCInternal() = default;

void SRCInternal::Init(uint32_t, uint32_t, uint32_t blockFrames, uint32_t* outBlockFrames, uint8_t) {
    stageCount_ = 0;
    if (outBlockFrames) *outBlockFrames = blockFrames;
}

void SRCInternal::Process(float*, uint32_t, uint32_t, uint32_t) {}

}  // namespace qx
