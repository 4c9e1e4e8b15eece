#include "resample/MultirateFir.h"

#include <atomic>

#include "resample/CpuFeatures.h"

namespace qx {

namespace fir_baseline {
constexpr int kChunk = 32;
#include "resample/FirLoops.inl"
}  // namespace fir_baseline

namespace {
// -1 until the processor has been asked; then 0 or 1.
std::atomic<int> g_wideLoops{-1};

// GCC for Windows cannot keep 32-byte stack slots aligned (its AVX spills may fault), so
// that build keeps to the baseline loops; MSVC and the native builds use AVX2 where the
// processor has it.
bool WideLoopsBuilt() {
#if defined(__MINGW32__)
    return false;
#else
    return true;
#endif
}
}  // namespace

bool MultirateFir::WideLoopsAvailable() {
    int state = g_wideLoops.load(std::memory_order_relaxed);
    if (state < 0) {
        state = WideLoopsBuilt() && CpuHasAvx2() ? 1 : 0;
        g_wideLoops.store(state, std::memory_order_relaxed);
    }
    return state == 1;
}

void MultirateFir::AllowWideLoops(bool allow) {
    g_wideLoops.store(allow && WideLoopsBuilt() && CpuHasAvx2() ? 1 : 0, std::memory_order_relaxed);
}

void MultirateFir::Run(const float* x, uint32_t groups, float* out, bool wide) const {
    FirPlanView view{};
    view.up = up_;
    view.down = down_;
    view.scale = scale_;
    view.subHistory = subHistory_;
    for (int r = 0; r < up_; ++r) {
        view.count[r] = phases_[r].count;
        view.coef[r] = phases_[r].coef;
        view.offset[r] = phases_[r].offset;
        view.sub[r] = phases_[r].sub;
        view.index[r] = phases_[r].index;
    }
    if (wide)
        fir_avx2::Run(view, x, groups, out);
    else
        fir_baseline::Run(view, x, groups, out);
}

float MultirateFir::Single(const float* x) const {
    const Phase& ph = phases_[0];
    float acc = 0.0f;
    for (int e = 0; e < ph.count; ++e) acc += ph.coef[e] * x[ph.offset[e]];
    return acc * scale_;
}

}  // namespace qx
