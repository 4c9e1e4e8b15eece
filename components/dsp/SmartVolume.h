#pragma once
// Smart Volume Normalizer: an RMS leveller. The loudest channel's power is followed with
// a 100 ms window; the gain that brings it to the target level is approached quickly
// when it must fall (attack) and slowly when it may rise (release), never beyond
// +-24 dB and never so far that the followed peak would pass full scale. Below the gate
// the gain holds, so pauses are not pumped up.
//   12, no data: reset (the gain glides back to unity over 20 ms, the level followers
//       restart)
#include <atomic>

#include "components/dsp/Effect.h"
#include "components/dsp/Ramp.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class SmartVolume final : public Effect {
public:
    enum : uint8_t { kReset = param::kSmartVolumeReset };
    static constexpr double kTargetDb = -20;  // RMS
    static constexpr double kMaxGainDb = 24;
    static constexpr double kGateDb = -60;
    static constexpr double kWindowSeconds = 0.1;
    static constexpr double kAttackSeconds = 0.01;
    static constexpr double kReleaseSeconds = 0.5;
    static constexpr double kPeakReleaseSeconds = 0.2;

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

    float Gain() const { return gain_; }

private:
    void Restart();

    std::atomic<bool> resetRequested_{false};

    uint32_t channels_ = 0;
    float windowCoef_ = 0, attackCoef_ = 0, releaseCoef_ = 0, peakRelease_ = 0;
    float targetPower_ = 0, gatePower_ = 0, maxGain_ = 1;
    float power_ = 0;
    float peak_ = 0;
    float gain_ = 1;
    uint32_t glide_ = 1;
    uint32_t resetLeft_ = 0;  // samples of the glide back to unity still to go
    float resetStep_ = 0;
};

}  // namespace qx::fx
