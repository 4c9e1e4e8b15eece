#include "components/dsp/SmoothedSection.h"

#include <cmath>

namespace qx::fx {

namespace {
// How long a section at unity keeps running: several time constants of the lowest
// sections, so what is left of their state has died away.
constexpr double kHoldSeconds = 0.1;
}  // namespace

void SmoothedSection::Prepare(double rate, SectionShape shape) {
    rate_ = rate;
    shape_ = shape;
    steps_ = GlideSteps(rate, kStepFrames);
    holdSteps_ = uint32_t(std::ceil(kHoldSeconds * rate / kStepFrames));
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
        hold_ = holdSteps_;
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
        hold_ = holdSteps_;
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
