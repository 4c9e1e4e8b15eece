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
    changes_.Take();
    Recompute();
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

void GraphicEqualizer::Recompute() {
    for (uint32_t b = 0; b < kBands; ++b) {
        const int32_t gain = gains_[b].load(std::memory_order_relaxed);
        // A flat band is the identity; bands above what the rate can carry are left out.
        active_[b] = gain != 0 && kCentres[b] < MaxFilterFrequency(rate_);
        if (active_[b]) coefficients_[b] = BiquadCoefficients::Peaking(rate_, kCentres[b], kQ, gain);
    }
}

void GraphicEqualizer::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Recompute();
    for (uint32_t c = 0; c < channels_; ++c)
        for (uint32_t b = 0; b < kBands; ++b)
            if (active_[b]) state_[c][b].RunBlock(coefficients_[b], buffers[c], frames);
}

}  // namespace qx::fx
