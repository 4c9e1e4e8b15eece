#include "components/dsp/Biquad.h"

#include <cmath>
#include <complex>

namespace qx::fx {

namespace {
constexpr double kPi = 3.14159265358979323846;

struct Angles {
    double cosw, sinw;
};
Angles At(double rate, double freq) {
    const double w = 2 * kPi * freq / rate;
    return {std::cos(w), std::sin(w)};
}

BiquadCoefficients Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    BiquadCoefficients c;
    c.b0 = b0 / a0;
    c.b1 = b1 / a0;
    c.b2 = b2 / a0;
    c.a1 = a1 / a0;
    c.a2 = a2 / a0;
    return c;
}

// Shelf of quality q: alpha = sin(w) / (2 q), slope 1 at q = 1/sqrt 2.
BiquadCoefficients Shelf(double rate, double freq, double gainDb, double q, bool low) {
    const double a = std::pow(10.0, gainDb / 40);
    const Angles w = At(rate, freq);
    const double alpha = w.sinw / (2 * q);
    const double k = 2 * std::sqrt(a) * alpha;
    const double s = low ? 1 : -1;  // the high shelf mirrors the signs of the cosine terms
    return Normalised(a * ((a + 1) - s * (a - 1) * w.cosw + k), s * 2 * a * ((a - 1) - s * (a + 1) * w.cosw),
                      a * ((a + 1) - s * (a - 1) * w.cosw - k), (a + 1) + s * (a - 1) * w.cosw + k,
                      -s * 2 * ((a - 1) + s * (a + 1) * w.cosw), (a + 1) + s * (a - 1) * w.cosw - k);
}
}  // namespace

BiquadCoefficients BiquadCoefficients::Peaking(double rate, double freq, double q, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40);
    const Angles w = At(rate, freq);
    const double alpha = w.sinw / (2 * q);
    return Normalised(1 + alpha * a, -2 * w.cosw, 1 - alpha * a, 1 + alpha / a, -2 * w.cosw, 1 - alpha / a);
}

BiquadCoefficients BiquadCoefficients::LowShelf(double rate, double freq, double gainDb, double q) {
    return Shelf(rate, freq, gainDb, q, true);
}

BiquadCoefficients BiquadCoefficients::HighShelf(double rate, double freq, double gainDb, double q) {
    return Shelf(rate, freq, gainDb, q, false);
}

BiquadCoefficients BiquadCoefficients::LowPass(double rate, double freq, double q) {
    const Angles w = At(rate, freq);
    const double alpha = w.sinw / (2 * q);
    return Normalised((1 - w.cosw) / 2, 1 - w.cosw, (1 - w.cosw) / 2, 1 + alpha, -2 * w.cosw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::HighPass(double rate, double freq, double q) {
    const Angles w = At(rate, freq);
    const double alpha = w.sinw / (2 * q);
    return Normalised((1 + w.cosw) / 2, -(1 + w.cosw), (1 + w.cosw) / 2, 1 + alpha, -2 * w.cosw, 1 - alpha);
}

double BiquadCoefficients::Magnitude(double rate, double freq) const {
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * freq / rate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
}

}  // namespace qx::fx
