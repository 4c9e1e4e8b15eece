#pragma once
// Second-order IIR sections with the usual audio-cookbook coefficient formulas, run in
// transposed direct form II with double-precision state (the low bands sit close to DC).
#include <cstdint>

namespace qx::fx {

inline constexpr double kSlopeOneQ = 0.7071067811865476;

struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // a0 normalised to 1

    static BiquadCoefficients Peaking(double rate, double freq, double q, double gainDb);
    // Shelves of slope 1 unless another Q is given (slope 1 is Q = 1/sqrt 2).
    static BiquadCoefficients LowShelf(double rate, double freq, double gainDb, double q = kSlopeOneQ);
    static BiquadCoefficients HighShelf(double rate, double freq, double gainDb, double q = kSlopeOneQ);
    static BiquadCoefficients LowPass(double rate, double freq, double q);
    static BiquadCoefficients HighPass(double rate, double freq, double q);

    // Magnitude of the response at freq, for tests and plots.
    double Magnitude(double rate, double freq) const;
};

struct BiquadState {
    double z1 = 0, z2 = 0;

    float Run(const BiquadCoefficients& c, float in) {
        const double x = in;
        const double y = c.b0 * x + z1;
        z1 = c.b1 * x - c.a1 * y + z2;
        z2 = c.b2 * x - c.a2 * y;
        return float(y);
    }
    void RunBlock(const BiquadCoefficients& c, float* buffer, uint32_t frames) {
        for (uint32_t i = 0; i < frames; ++i) buffer[i] = Run(c, buffer[i]);
    }
    void Clear() { z1 = z2 = 0; }
};

// The highest frequency a filter is placed at for a given rate.
inline double MaxFilterFrequency(double rate) { return rate * 0.45; }

}  // namespace qx::fx
