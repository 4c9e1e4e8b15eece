#pragma once
// One second-order section whose gain, frequency and Q glide to new values instead of
// jumping: the gain in even dB steps (a 40 dB change in linear steps would spend half of
// it in the first few steps), the frequency on a log scale, the Q linearly, all over one
// glide. On the way the coefficients are redesigned every kStepFrames frames and move
// linearly from one design to the next within the step, sample by sample, so they never
// jump (a stepped update would leave a zipper at the step rate). A section glided to
// 0 dB is the identity plus what its state still rings with; it keeps running until that
// has decayed by 120 dB (milliseconds for a wide high band, seconds for a narrow low one),
// so stopping adds no step either. Audio thread only; nothing allocates.
#include <cstdint>

#include "components/dsp/Biquad.h"
#include "components/dsp/Ramp.h"

namespace qx::fx {

enum class SectionShape : uint8_t { Peaking, LowShelf, HighShelf };

class SmoothedSection {
public:
    static constexpr uint32_t kStepFrames = 16;

    void Prepare(double rate, SectionShape shape);
    // What the section should become; gainDb 0 is the identity. `snap` jumps there at
    // once (stream start); otherwise the section glides from where it is. A section at
    // rest takes the new frequency and Q at once and glides only its gain out of unity.
    void SetTarget(double gainDb, double hz, double q, bool snap);
    // Moves one step of `frames` frames (at most kStepFrames) on. True when the section
    // starts from rest, so the caller clears its filter states before running it.
    bool Advance(uint32_t frames);

    // Runs one channel's step through the section (its coefficients moving when gliding).
    void Run(BiquadState& state, float* buffer, uint32_t frames) const;
    // One sample, `index` samples into the step.
    float RunOne(BiquadState& state, float x, uint32_t index) const;

    bool Active() const { return active_; }
    // At unity gain with nothing moving: the section passes its input through.
    bool AtUnity() const { return !Moving() && gain_.Value() == 0.0; }
    // The frames of the next step of a period of `frames` frames of which `done` are done.
    static uint32_t StepFrames(uint32_t frames, uint32_t done) {
        return frames - done < kStepFrames ? frames - done : kStepFrames;
    }

private:
    bool Moving() const { return gain_.Moving() || logHz_.Moving() || q_.Moving(); }
    BiquadCoefficients Design() const;
    // Steps until the state of a section at unity with these coefficients has settled.
    static uint32_t SettleSteps(const BiquadCoefficients& c);

    double rate_ = 48000;
    SectionShape shape_ = SectionShape::Peaking;
    uint32_t steps_ = 1;
    Ramp gain_, logHz_, q_;
    BiquadCoefficients coefficients_;  // at the start of the step
    BiquadCoefficients next_;          // at its end
    BiquadCoefficients delta_;         // change per sample within the step
    bool gliding_ = false;
    bool active_ = false;
    bool fresh_ = false;
    uint32_t hold_ = 0;
};

}  // namespace qx::fx
