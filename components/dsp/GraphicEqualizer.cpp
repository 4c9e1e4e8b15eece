#include "components/dsp/GraphicEqualizer.h"

namespace qx::fx {

GraphicEqualizer::GraphicEqualizer() {
    for (auto& g : gains_) g.store(0, std::memory_order_relaxed);
}

void GraphicEqualizer::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    for (auto& channel : state_)
        for (auto& s : channel) s.Clear();
    for (auto& section : sections_) section.Prepare(rate, SectionShape::Peaking);
    running_ = false;
    changes_.Take();
    Retarget(true);
}

ParamStatus GraphicEqualizer::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    switch (id) {
    case kSetBand: {
        if (size != sizeof(param::EqualizerBandRecord) || !data) return ParamStatus::BadSize;
        if (data[0] >= kBands) return ParamStatus::BadSize;
        gains_[data[0]].store(Clamp(ReadSigned16(data + offsetof(param::EqualizerBandRecord, gain)), -kMaxGainDb, kMaxGainDb), std::memory_order_relaxed);
        break;
    }
    case kSetAllBands:
        if (size != param::kEqualizerAllBandsSize || !data) return ParamStatus::BadSize;
        for (uint32_t b = 0; b < kBands; ++b)
            gains_[b].store(Clamp(ReadSigned16(data + sizeof(uint32_t) * b), -kMaxGainDb, kMaxGainDb), std::memory_order_relaxed);
        break;
    default:
        return ParamStatus::UnknownId;
    }
    changes_.Post();
    return ParamStatus::Ok;
}

void GraphicEqualizer::Retarget(bool snap) {
    for (uint32_t b = 0; b < kBands; ++b) {
        // Bands above what the rate can carry stay flat.
        const bool carried = kCentres[b] < MaxFilterFrequency(rate_);
        const int32_t gain = carried ? gains_[b].load(std::memory_order_relaxed) : 0;
        sections_[b].SetTarget(gain, kCentres[b], kQ, snap);
    }
}

// In steps of a section's step length, so gliding bands are redesigned on the way.
void GraphicEqualizer::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Retarget(!running_);
    running_ = true;
    for (uint32_t done = 0; done < frames; done += SmoothedSection::kStepFrames) {
        const uint32_t n = SmoothedSection::StepFrames(frames, done);
        for (uint32_t b = 0; b < kBands; ++b)
            if (sections_[b].Advance(n))
                for (uint32_t c = 0; c < channels_; ++c) state_[c][b].Clear();
        for (uint32_t c = 0; c < channels_; ++c)
            for (uint32_t b = 0; b < kBands; ++b)
                if (sections_[b].Active()) sections_[b].Run(state_[c][b], buffers[c] + done, n);
    }
}

}  // namespace qx::fx
