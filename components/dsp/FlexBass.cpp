#include "components/dsp/FlexBass.h"

namespace qx::fx {

void FlexBass::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    for (auto& s : state_) s.Clear();
    shelf_.Prepare(rate, SectionShape::LowShelf);
    running_ = false;
    changes_.Take();
    Retarget(true);
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

void FlexBass::Retarget(bool snap) {
    const int32_t level = level_.load(std::memory_order_relaxed);
    const double cutoff = Clamp(double(cutoff_.load(std::memory_order_relaxed)), 20.0, 500.0);
    shelf_.SetTarget(level, cutoff, 1, snap);
}

void FlexBass::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Retarget(!running_);
    running_ = true;
    for (uint32_t done = 0; done < frames; done += SmoothedSection::kStepFrames) {
        const uint32_t n = SmoothedSection::StepFrames(frames, done);
        if (shelf_.Advance(n))
            for (auto& s : state_) s.Clear();
        if (!shelf_.Active()) continue;
        for (uint32_t c = 0; c < channels_; ++c) shelf_.Run(state_[c], buffers[c] + done, n);
    }
}

}  // namespace qx::fx
