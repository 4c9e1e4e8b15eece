#include "components/dsp/VocalRemover.h"

namespace qx::fx {

namespace {
constexpr double kButterworthQ = 0.7071067811865476;
constexpr uint32_t kCentreChannel = 2;
}  // namespace

void VocalRemover::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    mid_.Clear();
    centre_.Clear();
    changes_.Take();
    Recompute();
}

ParamStatus VocalRemover::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    switch (id) {
    case kBand:
        if (size != 1 || !data) return ParamStatus::BadSize;
        band_.store(data[0] < kBandCount ? data[0] : uint8_t(MaleVoice), std::memory_order_relaxed);
        break;
    case kAmount:
        if (size != 4 || !data) return ParamStatus::BadSize;
        amount_.store(Clamp(ReadSigned16(data), -kMaxAmount, kMaxAmount), std::memory_order_relaxed);
        break;
    default:
        return ParamStatus::UnknownId;
    }
    changes_.Post();
    return ParamStatus::Ok;
}

void VocalRemover::Recompute() {
    depth_ = float(amount_.load(std::memory_order_relaxed)) / kMaxAmount;
    const BandEdges& edges = kBandEdges[band_.load(std::memory_order_relaxed)];
    // A second-order Butterworth high-pass and low-pass: between the edges their phase
    // shifts cancel, so the band signal lines up with the channels it is taken from.
    highPassOn_ = edges.low > 0;
    lowPassOn_ = edges.high > 0 && edges.high < MaxFilterFrequency(rate_);
    if (highPassOn_) highPass_ = BiquadCoefficients::HighPass(rate_, edges.low, kButterworthQ);
    if (lowPassOn_) lowPass_ = BiquadCoefficients::LowPass(rate_, edges.high, kButterworthQ);
}

float VocalRemover::Band(BandFilter& f, float x) {
    if (highPassOn_) x = f.highPass.Run(highPass_, x);
    if (lowPassOn_) x = f.lowPass.Run(lowPass_, x);
    return x;
}

void VocalRemover::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Recompute();
    if (channels_ < 2 || depth_ == 0) return;
    float* left = buffers[0];
    float* right = buffers[1];
    float* centre = channels_ > kCentreChannel ? buffers[kCentreChannel] : nullptr;
    for (uint32_t n = 0; n < frames; ++n) {
        const float common = depth_ * Band(mid_, 0.5f * (left[n] + right[n]));
        left[n] -= common;
        right[n] -= common;
        if (centre) centre[n] -= depth_ * Band(centre_, centre[n]);
    }
}

}  // namespace qx::fx
