#include "host/Spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace qx::host {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kFloorDb = -200;
constexpr uint32_t kMinFftSize = 64;

// In-place iterative radix-2 FFT.
void Fft(std::vector<std::complex<double>>& x) {
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * kPi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * w;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
}
}  // namespace

double Spectrum::PeakDb(double from, double to) const {
    if (levelDb.empty() || binHz <= 0) return kFloorDb;
    size_t a = size_t(std::max(0.0, std::floor(from / binHz)));
    size_t b = size_t(std::max(0.0, std::ceil(to / binHz)));
    a = std::min(a, levelDb.size() - 1);
    b = std::min(std::max(b, a + 1), levelDb.size());
    return *std::max_element(levelDb.begin() + long(a), levelDb.begin() + long(b));
}

Spectrum AverageSpectrum(const std::vector<double>& samples, uint32_t channels, double rate, uint32_t fftSize) {
    const size_t frames = channels ? samples.size() / channels : 0;
    // A signal shorter than the window gets a window as long as it (a power of two), so
    // its samples are not lost in the window's quiet edges.
    while (fftSize > kMinFftSize && fftSize > frames) fftSize /= 2;
    Spectrum s;
    s.binHz = rate / fftSize;
    std::vector<double> power(fftSize / 2 + 1, 0.0);
    std::vector<double> window(fftSize);
    double windowSum = 0;
    for (uint32_t i = 0; i < fftSize; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2 * kPi * i / fftSize);
        windowSum += window[i];
    }
    std::vector<std::complex<double>> buffer(fftSize);
    // Frames start every half window; a signal shorter than the smallest window is
    // zero-padded.
    const size_t lastStart = frames > fftSize ? frames - fftSize : 0;
    size_t count = 0;
    for (size_t start = 0; frames > 0 && start <= lastStart; start += fftSize / 2) {
        for (uint32_t c = 0; c < channels; ++c) {
            for (uint32_t i = 0; i < fftSize; ++i) {
                const size_t at = start + i;
                buffer[i] = at < frames ? samples[at * channels + c] * window[i] : 0.0;
            }
            Fft(buffer);
            for (size_t k = 0; k < power.size(); ++k) power[k] += std::norm(buffer[k]);
            ++count;
        }
    }
    // A full-scale sine peaks at (windowSum / 2) in its bin: that is 0 dB.
    const double reference = (windowSum / 2) * (windowSum / 2);
    s.levelDb.resize(power.size());
    for (size_t k = 0; k < power.size(); ++k) {
        const double p = count ? power[k] / double(count) / reference : 0;
        s.levelDb[k] = p > 0 ? std::max(kFloorDb, 10 * std::log10(p)) : kFloorDb;
    }
    return s;
}

}  // namespace qx::host
