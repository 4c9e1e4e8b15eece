#include "components/dsp/SmartVolume.h"

#include <cmath>

namespace qx::fx {

namespace {
// One-pole smoothing coefficient for a time constant.
float Coefficient(double seconds, double rate) { return float(1 - std::exp(-1 / (seconds * rate))); }
float FromDb(double db) { return float(std::pow(10.0, db / 20)); }
}  // namespace

void SmartVolume::Prepare(double rate, uint32_t channels) {
    channels_ = channels;
    windowCoef_ = Coefficient(kWindowSeconds, rate);
    attackCoef_ = Coefficient(kAttackSeconds, rate);
    releaseCoef_ = Coefficient(kReleaseSeconds, rate);
    peakRelease_ = Coefficient(kPeakReleaseSeconds, rate);
    targetPower_ = FromDb(2 * kTargetDb);
    gatePower_ = FromDb(2 * kGateDb);
    maxGain_ = FromDb(kMaxGainDb);
    glide_ = GlideSteps(rate);
    resetRequested_.store(false);
    Restart();
    gain_ = 1;
    resetLeft_ = 0;
}

void SmartVolume::Restart() {
    power_ = 0;
    peak_ = 0;
}

ParamStatus SmartVolume::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    if (id != kReset) return ParamStatus::UnknownId;
    if (size != 0) return ParamStatus::BadSize;
    resetRequested_.store(true, std::memory_order_release);
    return ParamStatus::Ok;
}

void SmartVolume::Process(float* const* buffers, uint32_t frames) {
    if (resetRequested_.exchange(false, std::memory_order_acquire)) {
        Restart();
        resetLeft_ = glide_;
        resetStep_ = (1 - gain_) / float(glide_);
    }
    for (uint32_t n = 0; n < frames; ++n) {
        float loudest = 0;
        for (uint32_t c = 0; c < channels_; ++c) loudest = std::fmax(loudest, buffers[c][n] * buffers[c][n]);
        power_ += windowCoef_ * (loudest - power_);
        const float magnitude = std::sqrt(loudest);
        peak_ = magnitude > peak_ ? magnitude : peak_ + peakRelease_ * (magnitude - peak_);

        if (resetLeft_ != 0) {
            gain_ = --resetLeft_ == 0 ? 1.0f : gain_ + resetStep_;
        } else if (power_ > gatePower_) {
            float wanted = Clamp(std::sqrt(targetPower_ / power_), 1 / maxGain_, maxGain_);
            if (peak_ * wanted > 1.0f) wanted = 1.0f / peak_;
            gain_ += (wanted < gain_ ? attackCoef_ : releaseCoef_) * (wanted - gain_);
        }
        for (uint32_t c = 0; c < channels_; ++c) buffers[c][n] *= gain_;
    }
}

}  // namespace qx::fx
