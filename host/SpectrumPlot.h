#pragma once
// The host tool's picture of what a run did: input and output spectra on a logarithmic
// frequency axis from 20 Hz to half the sample rate, in dB, with grid, labels and a
// legend. Pure C++.
#include <string>
#include <vector>

#include "host/PlotText.h"
#include "host/PngWriter.h"
#include "host/Spectrum.h"

namespace qx::host {

inline constexpr uint32_t kInputColour = 0x1F77B4;   // blue
inline constexpr uint32_t kOutputColour = 0xD62728;  // red

// Responses (levels relative to an input) from 20 Hz to maxHz on a 40 dB scale, one
// curve per entry, labelled (by default "CH 1", "CH 2", ...).
RgbImage PlotResponses(const std::vector<Spectrum>& curves, const std::vector<std::string>& labels, double maxHz,
                       const std::string& title, const PlotText& text = BitmapPlotText());

RgbImage PlotSpectra(const Spectrum& input, const Spectrum& output, double rate, const std::string& title,
                     const PlotText& text = BitmapPlotText());

}  // namespace qx::host
