#pragma once
// Complex FFT of a power-of-two length, forward or inverse (the inverse scaled by 1/n).
// Pure C++.
#include <complex>
#include <vector>

namespace qx::host {

void Fft(std::vector<std::complex<double>>& x, bool inverse = false);

// The smallest power of two not below n.
size_t FftSizeFor(size_t n);

}  // namespace qx::host
