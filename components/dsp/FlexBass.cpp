#include "components/dsp/FlexBass.h"

namespace qx::fx {

void FlexBass::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    for (auto& s : state_) s.Clear();
    changes_.Take();
    Recompute();
}

ParamStatus FlexBass::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    if (id != kCutoff && id != kSpeakers && id != kLevel) return ParamStatus::UnknownId;
    if (size != 4 || !data) return ParamStatus::BadSize;
    switch (id) {
    case kCutoff: cutoff_.store(ReadU32(data), std::memory_order_relaxed); break;
    case kSpeakers: speakers_.store(ReadU32(data), std::memory_order_relaxed); break;
    default: level_.store(Clamp(ReadSigned16(data), -kMaxLevelDb, kMaxLevelDb), std::memory_order_relaxed); break;
    }
    changes_.Post();
    return ParamStatus::Ok;
}

void FlexBass::Recompute() {
    const int32_t level = level_.load(std::memory_order_relaxed);
    active_ = level != 0;
    if (!active_) return;
    const double cutoff = Clamp(double(cutoff_.load(std::memory_order_relaxed)), 20.0, 500.0);
    shelf_ = BiquadCoefficients::LowShelf(rate_, cutoff, level);
}

void FlexBass::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Recompute();
    if (!active_) return;
    for (uint32_t c = 0; c < channels_; ++c) state_[c].RunBlock(shelf_, buffers[c], frames);
}

}  // namespace qx::fx
