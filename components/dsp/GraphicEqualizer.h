#pragma once
// The 10-band graphic equaliser: one peaking section per octave band from 30 Hz to
// 16 kHz, each -20 to +20 dB.
//   parameter 10, 8 bytes: band index (byte 0), three zero bytes, the band's gain
//   parameter 11, 40 bytes: the ten gains in band order
// Gains are 32-bit values whose low 16 bits are the signed dB value. A new gain glides
// there (in even dB steps, over 20 ms) rather than jumping, so changes made while audio plays
// do not click.
#include <atomic>

#include "components/dsp/Biquad.h"
#include "components/dsp/ChangeCounter.h"
#include "components/dsp/Effect.h"
#include "components/dsp/SmoothedSection.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class GraphicEqualizer final : public Effect {
public:
    static constexpr uint32_t kBands = param::kEqualizerBandCount;
    static constexpr double kCentres[kBands] = {30, 60, 120, 250, 500, 1000, 2000, 4000, 8000, 16000};
    static constexpr double kQ = 1.41;  // one octave
    static constexpr int32_t kMaxGainDb = 20;
    enum : uint8_t { kSetBand = param::kEqualizerBand, kSetAllBands = param::kEqualizerAllBands };

    GraphicEqualizer();
    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

private:
    void Retarget(bool snap);

    std::atomic<int32_t> gains_[kBands];
    ChangeCounter changes_;

    double rate_ = 48000;
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    SmoothedSection sections_[kBands];
    BiquadState state_[kMaxChannels][kBands];
};

}  // namespace qx::fx
