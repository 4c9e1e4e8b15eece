#pragma once
// Flex Bass: a low shelf at the bass cut-off frequency whose gain is the bass level.
//   13, 4 bytes: cut-off in Hz (u32, held to 20 .. 500)
//   14, 4 bytes: the large-speaker mask (kept; every channel gets the shelf)
//   15, 4 bytes: level in dB, -12 to +12 (signed low 16 bits)
// Level and cut-off changes glide (20 ms) instead of jumping.
#include <atomic>

#include "components/dsp/Biquad.h"
#include "components/dsp/ChangeCounter.h"
#include "components/dsp/Effect.h"
#include "components/dsp/SmoothedSection.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class FlexBass final : public Effect {
public:
    enum : uint8_t { kCutoff = param::kFlexBassCutoff, kSpeakers = param::kFlexBassSpeakers, kLevel = param::kFlexBassLevel };
    static constexpr uint32_t kDefaultCutoff = 100;
    static constexpr int32_t kMaxLevelDb = 12;

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

    uint32_t SpeakerMask() const { return speakers_.load(std::memory_order_relaxed); }

private:
    void Retarget(bool snap);

    std::atomic<uint32_t> cutoff_{kDefaultCutoff};
    std::atomic<uint32_t> speakers_{0};
    std::atomic<int32_t> level_{0};
    ChangeCounter changes_;

    double rate_ = 48000;
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    SmoothedSection shelf_;
    BiquadState state_[kMaxChannels];
};

}  // namespace qx::fx
