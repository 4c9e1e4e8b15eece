#include "components/dsp/VocalFading.h"

namespace qx::fx {

void VocalFading::Prepare(double rate, uint32_t channels) {
    channels_ = channels;
    glide_ = GlideSteps(rate);
    depth_.Reset(double(amount_.load(std::memory_order_relaxed)) / kMaxAmount);
    running_ = false;
}

ParamStatus VocalFading::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    if (id != kAmount) return ParamStatus::UnknownId;
    if (size != 1 || !data) return ParamStatus::BadSize;
    amount_.store(data[0] > kMaxAmount ? kMaxAmount : data[0], std::memory_order_relaxed);
    return ParamStatus::Ok;
}

void VocalFading::Process(float* const* buffers, uint32_t frames) {
    const double depth = double(amount_.load(std::memory_order_relaxed)) / kMaxAmount;
    if (running_) depth_.MoveTo(depth, glide_);
    else depth_.Reset(depth);
    running_ = true;
    if (channels_ < 2 || (!depth_.Moving() && depth_.Value() == 0)) return;
    float* left = buffers[0];
    float* right = buffers[1];
    float* centre = channels_ > 2 ? buffers[2] : nullptr;
    for (uint32_t n = 0; n < frames; ++n) {
        const float depth = float(depth_.Next());
        const float common = depth * 0.5f * (left[n] + right[n]);
        left[n] -= common;
        right[n] -= common;
        if (centre) centre[n] *= 1 - depth;
    }
}

}  // namespace qx::fx
