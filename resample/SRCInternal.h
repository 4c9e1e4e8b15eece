#pragma once
// The per-processor sample-rate converter: plans a chain of at most three fixed-ratio
// stages between a stream rate and the effect rate and converts one channel's block in
// place per call, keeping each channel's filter history across blocks. Pure C++.
#include <cstdint>

namespace qx {

class SRCInternal {
public:
    enum Direction : uint32_t { Forward = 0, Reverse = 1 };

    SRCInternal();
    ~SRCInternal();
    SRCInternal(const SRCInternal&) = delete;
    SRCInternal& operator=(const SRCInternal&) = delete;

    // Plans the chain for inputRate -> outputRate and prepares every stage for
    // `channels` channels (at most 8). Writes the block size after the last stage to
    // outBlockFrames (blockFrames when nothing is planned).
    void Init(uint32_t inputRate, uint32_t outputRate, uint32_t blockFrames, uint32_t* outBlockFrames,
              uint8_t channels);

    // Converts channel `channel`'s block in place. Allocates nothing.
    void Process(float* buffer, uint32_t channel, uint32_t blockFrames, uint32_t direction);

    uint8_t StageCount() const { return stageCount_; }

private:
    uint8_t stageCount_ = 0;
};

}  // namespace qx
