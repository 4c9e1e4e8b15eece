#pragma once
// Measuring a chain with an exponential sine sweep: the sweep itself, and the analysis
// that deconvolves a recorded output into the chain's impulse response (by spectral
// division with the sweep). In that response the linear part sits at the chain's
// latency and the k-th harmonic's response lands L ln k earlier (L the sweep's time per
// e-fold of frequency), so distortion and linear response come apart in time. Pure C++.
#include <cstddef>
#include <vector>

#include "host/Spectrum.h"

namespace qx::host {

struct SweepPlan {
    double rate = 48000;
    double startHz = 10;     // below the lowest reported frequency, so it is fully swept
    double endHz = 22000;    // at most 0.45 of the rate
    double seconds = 2;      // of the sweep
    double tailSeconds = 0.5;  // of silence after it, for latency and decay
    double amplitude = 0.25;

    size_t SweepFrames() const;
    size_t Frames() const;  // sweep and tail
    double SecondsPerE() const;  // L: the time in which the frequency grows by e
};

SweepPlan PlanSweep(double rate, double seconds, double levelDb);

// The sweep followed by its silent tail, mono.
std::vector<double> MakeSweep(const SweepPlan& plan);

inline constexpr int kHarmonics = 4;  // the 2nd to the 5th

struct SweepResult {
    Spectrum response;               // the linear part, in dB relative to the input
    double harmonicDb[kHarmonics];   // each harmonic relative to the fundamental
    long latency = 0;                // frames from input to the response's peak
    double lowHz = 20, highHz = 20000;  // where the response is valid

    double ResponseDb(double hz) const;  // interpolated between bins
};

// `output` holds plan.Frames() samples of one channel recorded with the sweep as input.
SweepResult AnalyseSweep(const SweepPlan& plan, const std::vector<double>& output);

}  // namespace qx::host
