#pragma once
// qxhost compare: two outputs side by side. Either two WAV files (--in and --against),
// or one input (a file or the test signal) run through two sets of effects and settings
// (the second after --vs): prints the largest difference of their spectra and of their
// samples, and plots the difference spectrum when --png is given. With --repeat N, one
// set runs N times, each from a fresh processor and lock, and the outputs must be
// bit-identical; it says where they first differ otherwise. Returns the exit code.
#include "host/HostOptions.h"

namespace qx::host {

int RunCompare(const HostOptions& options);

}  // namespace qx::host
