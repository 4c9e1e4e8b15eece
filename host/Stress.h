#pragma once
// qxhost stress: a 200 Hz sine runs through the chosen processor period by period
// while a second thread, as an audio engine's notification thread may, writes random
// in-range values to every setting of the enabled effects (their enable flags too) and
// reports each through OnPropertyChanged. Reports non-finite samples, failed statuses,
// jumps in the output larger than a sine of its level can make (outside the periods
// around an effect switched on or off, which the processor does not crossfade), and the
// worst period cost. Bounded by a number of periods, so a run is the same length on any machine.
// Returns the exit code: 0 when nothing was found.
#include "host/HostOptions.h"

namespace qx::host {

int RunStress(const HostOptions& options);

}  // namespace qx::host
