#pragma once
// The converter's stage kinds as both converter benchmarks (native and the DLL's under
// Wine) run them: each alone, at a rate pair and block that make it the only stage.
#include <cstdint>

#include "resample/FirPlanView.h"

namespace qx::bench {

struct StageCase {
    const char* name;
    uint32_t in, out, block;
    bool reverse;
    bool fir;  // runs on the multirate FIR loops (one set per instruction set)
};

// The loops the 160/147 kinds have: SSE2 and AVX2 (where AVX-512 is chosen they run on
// AVX2's).
constexpr bool PolyLoops(qx::FirPath path) { return path == qx::FirPath::Sse2 || path == qx::FirPath::Avx2; }

constexpr StageCase kStages[] = {
    {"Up2", 24000, 48000, 240, false, true},
    {"Down2", 96000, 48000, 960, false, true},
    {"Up3Down2", 22050, 14700, 441, true, true},
    {"Up2Down3", 22050, 14700, 441, false, true},
    {"Up160Down147", 44100, 48000, 441, false, false},
    {"Up147Down160", 48000, 44100, 480, false, false},
    {"Down3", 48000, 16000, 480, false, true},
    {"Up3", 16000, 48000, 160, false, true},
};

}  // namespace qx::bench
