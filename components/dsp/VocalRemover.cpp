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
    glide_ = GlideSteps(rate);
    changes_.Take();
    SetBand(band_.load(std::memory_order_relaxed));
    depth_.Reset(float(amount_.load(std::memory_order_relaxed)) / kMaxAmount);
    pending_ = false;
    running_ = false;
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

void VocalRemover::SetBand(uint8_t band) {
    bandNow_ = band;
    const BandEdges& edges = kBandEdges[band];
    // A second-order Butterworth high-pass and low-pass: between the edges their phase
    // shifts cancel, so the band signal lines up with the channels it is taken from.
    highPassOn_ = edges.low > 0;
    lowPassOn_ = edges.high > 0 && edges.high < MaxFilterFrequency(rate_);
    if (highPassOn_) highPass_ = BiquadCoefficients::HighPass(rate_, edges.low, kButterworthQ);
    if (lowPassOn_) lowPass_ = BiquadCoefficients::LowPass(rate_, edges.high, kButterworthQ);
    mid_.Clear();
    centre_.Clear();
}

// The removal glides to the new amount; a new band first glides it to nothing. Removal
// starting from nothing starts the band filters afresh (they stand still meanwhile).
void VocalRemover::TakeChanges() {
    const double depth = double(amount_.load(std::memory_order_relaxed)) / kMaxAmount;
    const uint8_t band = band_.load(std::memory_order_relaxed);
    if (!running_) {
        SetBand(band);
        depth_.Reset(depth);
        return;
    }
    const bool resting = !depth_.Moving() && depth_.Value() == 0;
    if (resting) {
        if (band != bandNow_) SetBand(band);
        mid_.Clear();
        centre_.Clear();
    }
    pending_ = band != bandNow_;
    depth_.MoveTo(pending_ ? 0 : depth, glide_);
}

float VocalRemover::Band(BandFilter& f, float x) {
    if (highPassOn_) x = f.highPass.Run(highPass_, x);
    if (lowPassOn_) x = f.lowPass.Run(lowPass_, x);
    return x;
}

void VocalRemover::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) TakeChanges();
    running_ = true;
    if (channels_ < 2 || (!depth_.Moving() && depth_.Value() == 0)) return;
    float* left = buffers[0];
    float* right = buffers[1];
    float* centre = channels_ > kCentreChannel ? buffers[kCentreChannel] : nullptr;
    for (uint32_t n = 0; n < frames; ++n) {
        if (pending_ && depth_.Value() == 0) {
            pending_ = false;
            SetBand(band_.load(std::memory_order_relaxed));
            depth_.MoveTo(double(amount_.load(std::memory_order_relaxed)) / kMaxAmount, glide_);
        }
        const float depth = float(depth_.Next());
        const float common = depth * Band(mid_, 0.5f * (left[n] + right[n]));
        left[n] -= common;
        right[n] -= common;
        if (centre) centre[n] -= depth * Band(centre_, centre[n]);
    }
}

}  // namespace qx::fx
