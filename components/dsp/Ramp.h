#pragma once
// A value that glides to a new target in a fixed number of equal steps, so a parameter
// change pushed while audio runs becomes a short slope instead of a jump. The audio
// thread owns it; it allocates nothing.
#include <cmath>
#include <cstdint>

namespace qx::fx {

// How long a change takes to reach its target: long enough to keep the step out of the
// high frequencies, short enough to feel immediate.
inline constexpr double kGlideSeconds = 0.02;

// Steps of `stepFrames` frames each that make up one glide at `rate`.
inline uint32_t GlideSteps(double rate, uint32_t stepFrames = 1) {
    const double steps = std::ceil(kGlideSeconds * rate / stepFrames);
    return steps < 1 ? 1u : uint32_t(steps);
}

class Ramp {
public:
    // Jumps to v at once (stream start).
    void Reset(double v) {
        value_ = target_ = v;
        left_ = 0;
    }
    // Glides from the current value to `target` in `steps` steps; a new target while
    // gliding starts a fresh glide from where the value is.
    void MoveTo(double target, uint32_t steps) {
        if (target == target_) return;
        target_ = target;
        left_ = steps;
        if (left_ == 0) value_ = target;
        else step_ = (target - value_) / steps;
    }
    // One step on; lands exactly on the target at the end.
    double Next() {
        if (left_ != 0) value_ = --left_ == 0 ? target_ : value_ + step_;
        return value_;
    }
    bool Moving() const { return left_ != 0; }
    double Value() const { return value_; }
    double Target() const { return target_; }

private:
    double value_ = 0, target_ = 0, step_ = 0;
    uint32_t left_ = 0;
};

}  // namespace qx::fx
