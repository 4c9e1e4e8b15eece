#pragma once
// The per-processor sample-rate converter: plans a chain of at most three fixed-ratio
// stages between a stream rate and the effect rate and converts one channel's block in
// place per call, keeping each channel's filter history across blocks. Pure C++.
#include <cstdint>

#include "resample/ConversionStage.h"
#include "resample/StagePlan.h"

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
    // Forward takes blockFrames input frames (a size other than the one given to Init is
    // carried through the stages by their size rules). Reverse always converts the
    // block size Init reported back to the Init block size; blockFrames is not used.
    // The buffer must hold the largest block of any stage of the chain.
    void Process(float* buffer, uint32_t channel, uint32_t blockFrames, uint32_t direction);

    uint8_t StageCount() const { return stageCount_; }
    StageKind Kind(uint32_t stage) const { return stage < kMaxStages ? kinds_[stage] : StageKind::None; }
    uint32_t Rate(uint32_t index) const { return index <= kMaxStages ? rates_[index] : 0; }
    uint32_t BlockSize(uint32_t index) const { return index <= kMaxStages ? sizes_[index] : 0; }
    const ConversionStage& ForwardStage(uint32_t stage) const { return forward_[stage % kMaxStages]; }
    const ConversionStage& ReverseStage(uint32_t stage) const { return reverse_[stage % kMaxStages]; }

private:
    ConversionStage forward_[kMaxStages];
    ConversionStage reverse_[kMaxStages];
    StageKind kinds_[kMaxStages] = {};
    uint32_t rates_[kMaxStages + 1] = {};
    uint32_t sizes_[kMaxStages + 1] = {};
    uint8_t stageCount_ = 0;
};

}  // namespace qx
