#include "resample/SRCInternal.h"

#include <algorithm>
#include <iterator>

namespace qx {

SRCInternal::SRCInternal() = default;
SRCInternal::~SRCInternal() = default;

void SRCInternal::Init(uint32_t inputRate, uint32_t outputRate, uint32_t blockFrames, uint32_t* outBlockFrames,
                       uint8_t channels) {
    std::fill(std::begin(kinds_), std::end(kinds_), StageKind::None);
    std::fill(std::begin(rates_), std::end(rates_), 0u);
    std::fill(std::begin(sizes_), std::end(sizes_), 0u);
    stageCount_ = 0;
    if (outBlockFrames) *outBlockFrames = blockFrames;

    const RatePlan* plan = inputRate == outputRate ? nullptr : FindRatePlan(inputRate, outputRate);
    if (!plan) return;

    rates_[0] = inputRate;
    sizes_[0] = blockFrames;
    uint8_t count = 0;
    while (count < kMaxStages && plan->kinds[count] != StageKind::None) {
        const StageKind kind = plan->kinds[count];
        kinds_[count] = kind;
        rates_[count + 1] = NextSize(kind, rates_[count]);
        sizes_[count + 1] = NextSize(kind, sizes_[count]);
        ++count;
    }
    stageCount_ = count;
    if (outBlockFrames) *outBlockFrames = sizes_[count];

    for (uint32_t i = 0; i < count; ++i) {
        forward_[i].Prepare(KindForRates(rates_[i], rates_[i + 1]), sizes_[i], sizes_[i + 1], channels);
        reverse_[i].Prepare(KindForRates(rates_[count - i], rates_[count - i - 1]), sizes_[count - i],
                            sizes_[count - i - 1], channels);
    }
}

void SRCInternal::Process(float* buffer, uint32_t channel, uint32_t blockFrames, uint32_t direction) {
    if (!buffer) return;
    if (direction == Forward) {
        uint32_t n = blockFrames;
        for (uint32_t i = 0; i < stageCount_; ++i) {
            const uint32_t m = NextSize(kinds_[i], n);
            forward_[i].Process(buffer, channel, n, m);
            n = m;
        }
    } else if (direction == Reverse) {
        for (uint32_t i = 0; i < stageCount_; ++i)
            reverse_[i].Process(buffer, channel, sizes_[stageCount_ - i], sizes_[stageCount_ - i - 1]);
    }
}

}  // namespace qx
