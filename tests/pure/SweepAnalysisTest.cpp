// The sweep measurement on systems whose answer is known: a filter's magnitude, a delay,
// and a square-law distortion whose harmonic follows from the arithmetic of sin².
#include <gtest/gtest.h>

#include <cmath>

#include "components/dsp/Biquad.h"
#include "host/SweepAnalysis.h"

using namespace qx::host;

namespace {
struct System {
    const char* what;
    qx::fx::BiquadCoefficients filter;  // run first
    size_t delay;                        // then a delay
    double square;                       // then y += square * y^2
};

std::vector<double> Through(const System& s, const std::vector<double>& x) {
    std::vector<double> y(x.size(), 0.0);
    qx::fx::BiquadState state;
    for (size_t i = 0; i < x.size(); ++i) {
        const double v = state.Run(s.filter, float(x[i]));
        if (i + s.delay < y.size()) y[i + s.delay] = v + s.square * v * v;
    }
    return y;
}
}  // namespace

TEST(SweepAnalysis, RecoversResponseLatencyAndHarmonics) {
    for (double rate : {44100.0, 96000.0}) {
        const SweepPlan plan = PlanSweep(rate, 0.5, -12);
        const System systems[] = {
            {"peaking +12 dB at 1 kHz", qx::fx::BiquadCoefficients::Peaking(rate, 1000, 1.41, 12), 0, 0},
            {"37 frames late", {}, 37, 0},
            {"square law", {}, 0, 0.2},
        };
        for (const System& s : systems) {
            SCOPED_TRACE(testing::Message() << s.what << " at " << rate);
            const SweepResult r = AnalyseSweep(plan, Through(s, MakeSweep(plan)));
            EXPECT_EQ(long(s.delay), r.latency);
            for (double hz : {30.0, 100.0, 1000.0, 3000.0, 15000.0})
                EXPECT_NEAR(20 * std::log10(s.filter.Magnitude(rate, hz)), r.ResponseDb(hz), 0.2) << hz << " Hz";
            // x + a x^2 with x = A sin: a A^2 / 2 at twice the frequency, relative to A.
            const double second = s.square ? 20 * std::log10(s.square * plan.amplitude / 2) : -90;
            if (s.square) {
                EXPECT_NEAR(second, r.harmonicDb[0], 0.5);
            } else {
                EXPECT_LT(r.harmonicDb[0], -90);
            }
            for (int k = 1; k < kHarmonics; ++k) EXPECT_LT(r.harmonicDb[k], -70) << "harmonic " << k + 2;
        }
    }
}
