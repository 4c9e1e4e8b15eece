#pragma once
// Vocal Fading: turns the centre down across the whole spectrum, from 0 ("Voice",
// unchanged) to 100 ("No Voice", the common part of the front pair and a centre
// channel removed).
//   9, 1 byte: amount 0 to 100
// A new amount glides there over 20 ms.
#include <atomic>

#include "components/dsp/Effect.h"
#include "components/dsp/Ramp.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class VocalFading final : public Effect {
public:
    enum : uint8_t { kAmount = param::kVocalFadingAmount };
    static constexpr uint8_t kMaxAmount = 100;

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

private:
    std::atomic<uint8_t> amount_{0};
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    uint32_t glide_ = 1;
    Ramp depth_;  // amount / 100
};

}  // namespace qx::fx
