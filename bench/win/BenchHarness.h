#pragma once
// What the Windows benchmarks share: the stores a processor is set up from and the
// timing of one processing period, reported as a fraction of the period's real-time
// duration. A benchmark is not a test: it prints figures and always succeeds.
#include <windows.h>
#include <propsys.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "common/ComPtr.h"

namespace qx::bench {

ComPtr<IPropertyStore> NewMemoryStore();

// `samples` samples of a repeating ramp between -0.5 and 0.5: input for a processor.
std::vector<float> TestSignal(size_t samples);

// Runs `period` in batches for at least one second of wall time after a warm-up and
// prints its wall-clock and thread CPU time per call.
void ReportPeriodCost(const char* name, uint32_t rate, uint32_t frames, const std::function<void()>& period);

}  // namespace qx::bench
