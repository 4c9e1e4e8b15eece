#pragma once
// The period loop: cuts the input into periods of the lock-time frame count (the last
// one padded with silence, since a converting processor needs full periods), calls
// Process and, for the global processor, ProcessMonitor on each, applies timed setting
// changes between periods, and measures what each period cost.
#include <cstdint>
#include <vector>

#include "host/HostOptions.h"
#include "host/ProcessorSession.h"
#include "host/WavFile.h"

namespace qx::host {

struct RunStats {
    size_t periods = 0;
    size_t processed = 0;  // the processor wrote the output
    size_t bypassed = 0;   // status 1: nothing written; the host passed the input through
    size_t failed = 0;     // a failure status (the output holds what the processor left)
    HRESULT firstFailure = S_OK;
    size_t changesApplied = 0;
    HRESULT lastChangeStatus = S_OK;
    std::vector<double> costs;  // per period: processing time over the period's duration
};

struct RunShape {
    uint32_t outChannels;
    uint32_t periodFrames;
    bool monitor;  // also call ProcessMonitor
};

// output receives input.Frames() frames of shape.outChannels channels.
RunStats RunPeriods(ProcessorSession& session, const WavAudio& input, const RunShape& shape,
                    const std::vector<TimedChange>& changes, WavAudio& output);

}  // namespace qx::host
