#include "components/dsp/SmoothedSection.h"

#include <algorithm>
#include <cmath>

namespace qx::fx {

namespace {
// How far what a section at unity still holds falls before it stops running (120 dB):
// far below hearing even after the largest boost, so dropping the rest adds no step.
constexpr double kSettledRatio = 1e-6;
}  // namespace

void SmoothedSection::Prepare(double rate, SectionShape shape) {
    rate_ = rate;
    shape_ = shape;
    steps_ = GlideSteps(rate, kStepFrames);
    gain_.Reset(0);
    logHz_.Reset(std::log(1000.0));
    q_.Reset(1);
    coefficients_ = next_ = delta_ = {};
    active_ = fresh_ = gliding_ = false;
    hold_ = 0;
}

void SmoothedSection::SetTarget(double gainDb, double hz, double q, bool snap) {
    if (snap || !active_) {
        if (!snap && gainDb == 0.0) return;  // at rest and staying there
        logHz_.Reset(std::log(hz));
        q_.Reset(q);
        if (snap) gain_.Reset(gainDb);
        else gain_.MoveTo(gainDb, steps_);  // out of 0 dB, from 0 dB
        active_ = gainDb != 0.0;
        fresh_ = active_;
        if (active_) coefficients_ = next_ = Design();
        gliding_ = false;
        return;
    }
    gain_.MoveTo(gainDb, steps_);
    // A section fading out keeps its shape; only one that stays audible moves it.
    if (gainDb != 0.0) {
        logHz_.MoveTo(std::log(hz), steps_);
        q_.MoveTo(q, steps_);
    }
}

bool SmoothedSection::Advance(uint32_t frames) {
    if (!active_) return false;
    const bool fresh = fresh_;
    fresh_ = false;
    coefficients_ = next_;  // where the last step ended, exactly
    gliding_ = Moving() && frames != 0;
    if (gliding_) {
        gain_.Next();
        logHz_.Next();
        q_.Next();
        next_ = Design();
        const double n = frames;
        delta_ = {(next_.b0 - coefficients_.b0) / n, (next_.b1 - coefficients_.b1) / n,
                  (next_.b2 - coefficients_.b2) / n, (next_.a1 - coefficients_.a1) / n,
                  (next_.a2 - coefficients_.a2) / n};
        // Arrived: at unity the state rings down on its own, this long.
        hold_ = AtUnity() ? SettleSteps(next_) : 0;
    } else if (gain_.Value() == 0.0) {
        if (hold_ == 0) active_ = false;
        else --hold_;
    }
    return fresh;
}

void SmoothedSection::Run(BiquadState& state, float* buffer, uint32_t frames) const {
    if (!gliding_) {
        state.RunBlock(coefficients_, buffer, frames);
        return;
    }
    for (uint32_t i = 0; i < frames; ++i) buffer[i] = RunOne(state, buffer[i], i);
}

float SmoothedSection::RunOne(BiquadState& state, float x, uint32_t index) const {
    if (!gliding_) return state.Run(coefficients_, x);
    const double k = index;
    const BiquadCoefficients c{coefficients_.b0 + k * delta_.b0, coefficients_.b1 + k * delta_.b1,
                               coefficients_.b2 + k * delta_.b2, coefficients_.a1 + k * delta_.a1,
                               coefficients_.a2 + k * delta_.a2};
    return state.Run(c, x);
}

// At unity the output is the input plus a ring that decays as the slowest pole of
// z^2 + a1 z + a2: a narrow low band (20 Hz, Q 10) needs seconds to fall 120 dB, a wide
// high one milliseconds. A fixed hold would drop an audible ring from the slow ones.
uint32_t SmoothedSection::SettleSteps(const BiquadCoefficients& c) {
    const double d = c.a1 * c.a1 - 4 * c.a2;
    const double radius = d < 0 ? std::sqrt(c.a2) : (std::fabs(c.a1) + std::sqrt(d)) / 2;
    if (!(radius < 1)) return UINT32_MAX;  // never settles: keep running, unity passes the input
    const double steps = std::ceil(std::log(kSettledRatio) / std::log(radius) / kStepFrames);
    return uint32_t(std::min(steps, double(UINT32_MAX)));
}

BiquadCoefficients SmoothedSection::Design() const {
    const double db = gain_.Value();
    const double hz = std::exp(logHz_.Value());
    switch (shape_) {
    case SectionShape::LowShelf: return BiquadCoefficients::LowShelf(rate_, hz, db);
    case SectionShape::HighShelf: return BiquadCoefficients::HighShelf(rate_, hz, db);
    default: return BiquadCoefficients::Peaking(rate_, hz, q_.Value(), db);
    }
}

}  // namespace qx::fx
