#include "resample/MultirateFir.h"

#include <atomic>

#include "resample/CpuFeatures.h"

namespace qx {

namespace {

// The widest path allowed (tests and benchmarks lower it).
std::atomic<int> g_pathLimit{kFirPathCount - 1};

bool Runs(FirPath path) {
    switch (path) {
        case FirPath::Scalar: return fir_scalar::Built();
        case FirPath::Sse2: return fir_sse2::Built();
        case FirPath::Avx2: return fir_avx2::Built() && CpuHasAvx2();
        case FirPath::Avx512: return fir_avx512::Built() && CpuHasAvx512();
    }
    return false;
}

// Whether each path runs here, asked once.
struct PathSupport {
    bool runs[kFirPathCount];
    PathSupport() {
        for (int p = 0; p < kFirPathCount; ++p) runs[p] = Runs(static_cast<FirPath>(p));
    }
};
const PathSupport& Support() {
    static const PathSupport support;
    return support;
}

// The loops that split an input by 3 or 6 for `path`: the copy is no sum, so the portable
// loops take SSE2's where built.
FirPath SplitPathFor(FirPath path) {
    if (path == FirPath::Avx512 || path == FirPath::Avx2) return path;
    return fir_sse2::Built() ? FirPath::Sse2 : FirPath::Scalar;
}

// lanes[s][i] = start[6 * i + s] for i below length, with the loops of `path`.
void SplitSixes(const float* start, uint32_t length, float* const* lanes, FirPath path) {
    switch (SplitPathFor(path)) {
        case FirPath::Avx512: return fir_avx512::SplitSixes(start, length, lanes);
        case FirPath::Avx2: return fir_avx2::SplitSixes(start, length, lanes);
        case FirPath::Sse2: return fir_sse2::SplitSixes(start, length, lanes);
        case FirPath::Scalar: return fir_scalar::SplitSixes(start, length, lanes);
    }
}

// lanes[s * stride + i] = start[down * i + s] for i below length: the input taken apart by
// its position modulo down (2, 3 or 6) with the loops of `path`, so that every tap of a
// decimating filter reads consecutive floats.
void Split(const float* start, int down, uint32_t length, uint32_t stride, float* lanes, FirPath path) {
    if (down == 6) {
        float* six[6] = {};
        for (int s = 0; s < 6; ++s) six[s] = lanes + static_cast<size_t>(s) * stride;
        return SplitSixes(start, length, six, path);
    }
    float* a = lanes;
    float* b = lanes + stride;
    float* c = lanes + 2 * static_cast<size_t>(stride);
    if (down == 2) {
        switch (path) {
            case FirPath::Avx512: return fir_avx512::SplitPairs(start, length, a, b);
            case FirPath::Avx2: return fir_avx2::SplitPairs(start, length, a, b);
            case FirPath::Sse2: return fir_sse2::SplitPairs(start, length, a, b);
            case FirPath::Scalar: return fir_scalar::SplitPairs(start, length, a, b);
        }
    }
    switch (SplitPathFor(path)) {
        case FirPath::Avx512: return fir_avx512::SplitTriples(start, length, a, b, c);
        case FirPath::Avx2: return fir_avx2::SplitTriples(start, length, a, b, c);
        case FirPath::Sse2: return fir_sse2::SplitTriples(start, length, a, b, c);
        case FirPath::Scalar: return fir_scalar::SplitTriples(start, length, a, b, c);
    }
}

}  // namespace

bool MultirateFir::PathRuns(FirPath path) {
    const int p = static_cast<int>(path);
    return p >= 0 && p < kFirPathCount && Support().runs[p];
}

FirPath MultirateFir::ChosenPath() {
    for (int p = g_pathLimit.load(std::memory_order_relaxed); p > 0; --p)
        if (Support().runs[p]) return static_cast<FirPath>(p);
    return FirPath::Scalar;
}

void MultirateFir::LimitPath(FirPath widest) {
    g_pathLimit.store(static_cast<int>(widest), std::memory_order_relaxed);
}

void MultirateFir::Lay(uint32_t maxGroups, Layout& layout) const {
    layout.maxGroups = maxGroups;
    layout.stride = static_cast<uint32_t>(subHistory_) + maxGroups;
    // Where each lane of the input starts (at group 0) from the base: x itself without
    // decimation, else the lanes of the split copy, history first.
    int64_t lanes[kMaxDown] = {};
    if (down_ > 1)
        for (int s = 0; s < down_; ++s) lanes[s] = static_cast<int64_t>(s) * layout.stride + subHistory_;
    FirPlanView& view = layout.view;
    view.up = up_;
    view.down = down_;
    view.scale = scale_;
    for (int r = 0; r < up_; ++r) {
        const Phase& ph = phases_[r];
        view.count[r] = ph.count;
        view.coef[r] = ph.coef;
        view.offset[r] = layout.offset[r];
        for (int e = 0; e < ph.count; ++e)
            layout.offset[r][e] = static_cast<int32_t>(down_ > 1 ? lanes[ph.sub[e]] + ph.index[e] : ph.offset[e]);
    }
    const bool paired = up_ > 1 && pairPhase_[0] >= 0;
    view.pair[0] = paired ? pairPhase_[0] : -1;
    view.pair[1] = pairPhase_[1];
    view.pairSegments = 0;
    view.pairOffset = layout.pairOffset;
    view.pairCoef[0] = pairCoef_[0];
    view.pairCoef[1] = pairCoef_[1];
    if (!paired) return;
    const int steps = pairSegment_[pairSegments_ - 1].end;
    for (int s = 0; s < steps; ++s)
        layout.pairOffset[s] =
            static_cast<int32_t>(down_ > 1 ? lanes[pairSub_[s]] + pairIndex_[s] : pairOffset_[s]);
    view.pairSegments = pairSegments_;
    for (int i = 0; i < pairSegments_; ++i) {
        FirPlanView::PairSegment& seg = view.segment[i];
        seg = pairSegment_[i];
        seg.walks = 1;
        for (int e = seg.begin + 1; e < seg.end; ++e)
            if (layout.pairOffset[e] != layout.pairOffset[e - 1] - 1) seg.walks = 0;
    }
}

void MultirateFir::Run(const Layout& layout, const float* x, const float* block, uint32_t groups, float* out,
                       FirPath path, float* scratch) const {
    if (groups > layout.maxGroups) return;
    // The wide sets run on rows where the turns pay for themselves.
    if ((path == FirPath::Avx2 && UseRows(groups, 8)) || (path == FirPath::Avx512 && UseRows(groups, 16)))
        return RunRows(x, block, groups, out, path, scratch);
    const float* base = x;
    if (down_ > 1) {
        const uint32_t history = static_cast<uint32_t>(subHistory_);
        Split(x - down_ * subHistory_, down_, history, layout.stride, scratch, path);
        Split(block, down_, groups, layout.stride, scratch + history, path);
        base = scratch;
    }
    switch (path) {
        case FirPath::Avx512: return fir_avx512::Run(layout.view, base, groups, out);
        case FirPath::Avx2: return fir_avx2::Run(layout.view, base, groups, out);
        case FirPath::Sse2: return fir_sse2::Run(layout.view, base, groups, out);
        case FirPath::Scalar: return fir_scalar::Run(layout.view, base, groups, out);
    }
}

void MultirateFir::ClearKept(const Layout& layout, float* lanes) const {
    for (int s = 0; s < down_; ++s)
        for (int i = 0; i < subHistory_; ++i) lanes[static_cast<size_t>(s) * layout.stride + i] = 0.0f;
}

void MultirateFir::RunKept(const Layout& layout, float* lanes, const float* block, uint32_t groups, float* out,
                           FirPath path) const {
    if (groups > layout.maxGroups) return;
    const uint32_t history = static_cast<uint32_t>(subHistory_);
    switch (path) {
        case FirPath::Avx512: return fir_avx512::RunKept(layout.view, lanes, layout.stride, history, block, groups, out);
        case FirPath::Avx2: return fir_avx2::RunKept(layout.view, lanes, layout.stride, history, block, groups, out);
        case FirPath::Sse2: return fir_sse2::RunKept(layout.view, lanes, layout.stride, history, block, groups, out);
        case FirPath::Scalar: return fir_scalar::RunKept(layout.view, lanes, layout.stride, history, block, groups, out);
    }
}

void MultirateFir::RunRows(const float* x, const float* block, uint32_t groups, float* out, FirPath path,
                           float* scratch) const {
    // Every field the loops read is set (a zeroed view was cleared with a string store,
    // which takes long to start).
    FirRowView view;
    view.up = up_;
    view.down = down_;
    view.scale = scale_;
    view.history = static_cast<uint32_t>(history_);
    view.groups = groups;
    for (int r = 0; r < up_; ++r) {
        view.count[r] = phases_[r].count;
        view.coef[r] = phases_[r].coef;
        view.offset[r] = phases_[r].offset;
    }
    view.pairSegments = 0;
    if (up_ == 1 && pairPhase_[0] >= 0) {
        view.pairSegments = pairSegments_;
        for (int i = 0; i < pairSegments_; ++i) view.segment[i] = pairSegment_[i];
        view.pairOffset = pairOffset_;
        view.pairCoef[0] = pairCoef_[0];
        view.pairCoef[1] = pairCoef_[1];
    }
    if (path == FirPath::Avx512) return fir_avx512::RunRows(view, x, block, scratch, out);
    return fir_avx2::RunRows(view, x, block, scratch, out);
}

float MultirateFir::Single(const float* x) const {
    const Phase& ph = phases_[0];
    float acc = 0.0f;
    for (int e = 0; e < ph.count; ++e) acc += ph.coef[e] * x[ph.offset[e]];
    return acc * scale_;
}

}  // namespace qx
