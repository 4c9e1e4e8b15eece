#pragma once
// Levels of the audio a processor wrote: how many samples reached full scale and the
// peak. Pure C++.
#include <cstddef>
#include <string>
#include <vector>

namespace qx::host {

struct OutputLevels {
    size_t clipped = 0;  // samples with |x| >= 1.0, or not a number
    double peak = 0;     // the largest |x| of the others
};

OutputLevels MeasureLevels(const std::vector<double>& samples);

// The peak in decibels relative to full scale, "-6.02 dBFS"; silence is "-inf dBFS".
std::string PeakDbfs(double peak);

}  // namespace qx::host
