#include "components/dsp/VocalFading.h"

namespace qx::fx {

void VocalFading::Prepare(double, uint32_t channels) { channels_ = channels; }

ParamStatus VocalFading::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    if (id != kAmount) return ParamStatus::UnknownId;
    if (size != 1 || !data) return ParamStatus::BadSize;
    amount_.store(data[0] > kMaxAmount ? kMaxAmount : data[0], std::memory_order_relaxed);
    return ParamStatus::Ok;
}

void VocalFading::Process(float* const* buffers, uint32_t frames) {
    const float depth = float(amount_.load(std::memory_order_relaxed)) / kMaxAmount;
    if (channels_ < 2 || depth == 0) return;
    float* left = buffers[0];
    float* right = buffers[1];
    for (uint32_t n = 0; n < frames; ++n) {
        const float common = depth * 0.5f * (left[n] + right[n]);
        left[n] -= common;
        right[n] -= common;
    }
    if (channels_ > 2)
        for (uint32_t n = 0; n < frames; ++n) buffers[2][n] *= 1 - depth;
}

}  // namespace qx::fx
