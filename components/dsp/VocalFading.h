#pragma once
// Vocal Fading: turns the centre down across the whole spectrum, from 0 ("Voice",
// unchanged) to 100 ("No Voice", the common part of the front pair and a centre
// channel removed).
//   9, 1 byte: amount 0 to 100
#include <atomic>

#include "components/dsp/Effect.h"
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
};

}  // namespace qx::fx
