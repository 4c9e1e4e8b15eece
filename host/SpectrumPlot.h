#pragma once
// The host tool's picture of what a run did: input and output spectra on a logarithmic
// frequency axis from 20 Hz to half the sample rate, in dB, with grid, labels and a
// legend. Pure C++.
#include <string>

#include "host/PngWriter.h"
#include "host/Spectrum.h"

namespace qx::host {

inline constexpr uint32_t kInputColour = 0x1F77B4;   // blue
inline constexpr uint32_t kOutputColour = 0xD62728;  // red

RgbImage PlotSpectra(const Spectrum& input, const Spectrum& output, double rate, const std::string& title);

}  // namespace qx::host
