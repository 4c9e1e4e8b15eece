#include "host/Fft.h"

#include <cmath>

namespace qx::host {

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

size_t FftSizeFor(size_t n) {
    size_t size = 1;
    while (size < n) size <<= 1;
    return size;
}

// Iterative radix-2 with a twiddle table computed once per call, so long transforms keep
// their precision (no running product of rotations).
void Fft(std::vector<std::complex<double>>& x, bool inverse) {
    const size_t n = x.size();
    if (n < 2) return;
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    std::vector<std::complex<double>> twiddle(n / 2);
    const double sign = inverse ? 1.0 : -1.0;
    for (size_t k = 0; k < n / 2; ++k) twiddle[k] = std::polar(1.0, sign * 2 * kPi * double(k) / double(n));
    for (size_t len = 2; len <= n; len <<= 1) {
        const size_t stride = n / len;
        for (size_t i = 0; i < n; i += len)
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * twiddle[k * stride];
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
    }
    if (inverse)
        for (auto& v : x) v /= double(n);
}

}  // namespace qx::host
