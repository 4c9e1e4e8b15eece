#pragma once
// Averaged power spectrum of a multichannel signal: Hann-windowed FFT frames with half
// overlap, power averaged over frames and channels, in dB relative to a full-scale
// sine. Pure C++.
#include <cstdint>
#include <vector>

namespace qx::host {

struct Spectrum {
    double binHz = 0;            // width of one bin
    std::vector<double> levelDb;  // bins 0 .. size/2

    // The loudest level over the bins covering [from, to) Hz (at least one bin).
    double PeakDb(double from, double to) const;
};

// samples: interleaved frames of `channels`; fftSize a power of two (smaller for a
// signal shorter than it).
Spectrum AverageSpectrum(const std::vector<double>& samples, uint32_t channels, double rate, uint32_t fftSize = 8192);

}  // namespace qx::host
