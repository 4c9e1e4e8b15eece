#include "host/OutputLevels.h"

#include <cmath>
#include <cstdio>

namespace qx::host {

OutputLevels MeasureLevels(const std::vector<double>& samples) {
    OutputLevels levels;
    for (double s : samples) {
        const double magnitude = std::fabs(s);
        // NaN fails every comparison, so it counts as clipped and leaves the peak alone.
        if (!(magnitude < 1.0)) ++levels.clipped;
        if (magnitude > levels.peak) levels.peak = magnitude;
    }
    return levels;
}

std::string PeakDbfs(double peak) {
    if (!(peak > 0)) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dBFS", 20.0 * std::log10(peak));
    return text;
}

}  // namespace qx::host
