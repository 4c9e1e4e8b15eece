#pragma once
// qxhost measure: an exponential sine sweep through the chosen processor, effects and
// settings, deconvolved into each channel's impulse response; prints the magnitude
// response from 20 Hz to 20 kHz, the 2nd to 5th harmonics and the latency, and plots
// the response when --png is given. Returns the program's exit code.
#include "host/HostOptions.h"

namespace qx::host {

int RunMeasure(const HostOptions& options);

}  // namespace qx::host
