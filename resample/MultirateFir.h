#pragma once
// A multirate FIR filter (upsample by L with zeros, filter with taps h, keep every M-th
// sample) rearranged into polyphase form at compile time.
//
// Over a stream x that starts with zeros, the filter yields
//   y[j] = sum over k of h[k] * u[j*M + lead*L - k],  u[q] = x[q/L] when L divides q, else 0,
// so each group g of M inputs x[M*g .. M*g+M-1] produces the L outputs y[L*g .. L*g+L-1].
// Every output is a single-precision sum started at 0 and taken in increasing tap order;
// taps that are exactly zero are left out, which changes no finite result.
#include <cstddef>
#include <cstdint>

#include "resample/FirPlanView.h"

namespace qx {

class MultirateFir {
public:
    static constexpr int kMaxPhases = FirPlanView::kMaxPhases;
    static constexpr int kMaxTaps = 72;
    static constexpr int kMaxHistory = FirPlanView::kMaxHistory;
    // Lanes of the split copy, at most (a decimator by 3 taken two outputs at a time).
    static constexpr int kMaxDown = 6;

    // `taps` must outlive constant evaluation only; the filter copies what it needs.
    constexpr MultirateFir(const float* taps, int tapCount, int up, int down, int lead, float scale)
        : up_(up), down_(down), scale_(scale) {
        for (int r = 0; r < up; ++r) {
            const int q = r * down + lead * up;  // position of output r of group 0 in the upsampled stream
            for (int k = 0; k < tapCount; ++k) {
                const int d = q - k;
                if (d % up == 0) AddTap(phases_[r], taps[k], FloorDiv(d, up));
            }
        }
        Finish();
    }

    // A one-phase decimator by `down` (output j is the sum over k of h[k] * x[j * down +
    // lead - k]) taken `together` outputs at a time: phase r of group g is output
    // together * g + r, and a group holds down * together inputs. Phase r + 1's taps read,
    // `down` taps later, what phase r's read, so the phases pair like an interpolator's,
    // and every tap reads one lane of the input split by down * together.
    struct GroupedDecimator {};
    constexpr MultirateFir(GroupedDecimator, const float* taps, int tapCount, int down, int together, int lead,
                           float scale)
        : up_(together), down_(down * together), scale_(scale), grouped_(true) {
        for (int r = 0; r < together; ++r)
            for (int k = 0; k < tapCount; ++k) AddTap(phases_[r], taps[k], r * down + lead - k);
        Finish();
    }

    constexpr int Up() const { return up_; }
    // Whether two phases (or, with one phase, two groups) share their input loads.
    constexpr bool Paired() const { return pairPhase_[0] >= 0; }
    constexpr int Down() const { return down_; }
    // Input samples before group 0 that outputs of group 0 depend on.
    constexpr int History() const { return history_; }
    // Multiply-adds per L outputs (for reporting).
    int TapsPerGroup() const {
        int n = 0;
        for (int r = 0; r < up_; ++r) n += phases_[r].count;
        return n;
    }

    // Floats of scratch that Run needs for `groups` groups (0 when down is 1): the input
    // taken apart by its position modulo down.
    // The row loops of the wide sets need more: the input and the outputs turned into rows.
    size_t ScratchFloats(uint32_t groups) const {
        const size_t split = down_ > 1 ? static_cast<size_t>(down_) * (static_cast<size_t>(subHistory_) + groups) : 0;
        const uint32_t history = static_cast<uint32_t>(history_);
        const size_t rows8 = RowFloats(history, up_, down_, groups, 8);
        const size_t rows16 = RowFloats(history, up_, down_, groups, 16);
        const size_t rows = rows8 > rows16 ? rows8 : rows16;
        return split > rows ? split : rows;
    }

    // The filter laid out for blocks of up to maxGroups groups: every tap's input as an
    // offset from x (down 1) or from the split copy's start, whose lanes lie `stride`
    // floats apart for any block up to that size. Made once, when a stage is prepared, so
    // that a block converts without building tables. Its view points into itself, so it
    // stays where it was made.
    struct Layout {
        Layout() = default;
        Layout(const Layout&) = delete;
        Layout& operator=(const Layout&) = delete;
        uint32_t maxGroups = 0;
        uint32_t stride = 0;
        FirPlanView view{};
        int32_t offset[kMaxPhases][kMaxTaps] = {};
        int32_t pairOffset[FirPlanView::kMaxPairSteps] = {};
    };
    // Lays the filter out for blocks of up to maxGroups groups.
    void Lay(uint32_t maxGroups, Layout& layout) const;

    // Runs `groups` groups of inputs (at most the layout's maxGroups; more are left
    // undone): the history x[-History() .. -1] and the block block[0 .. down*groups - 1],
    // which for down 1 must be x itself (the taps read the history and the block as one
    // run of floats). Writes up*groups outputs to out with the loops of `path` (every
    // path gives the same sums). With down above 1 the block is read into the split copy
    // in `scratch` (ScratchFloats(maxGroups) floats) before anything is written, so
    // out may be the block; otherwise out must not overlap x.
    void Run(const Layout& layout, const float* x, const float* block, uint32_t groups, float* out, FirPath path,
             float* scratch) const;

    // Whether the filter keeps its input split between blocks (RunKept): the decimating
    // filters that never run on rows, those of two and three phases.
    // (A grouped decimator's blocks may end inside a group, which the stage finishes from
    // the linear input, so it keeps the linear input instead.)
    constexpr bool KeepsSplit() const { return down_ > 1 && up_ > 1 && Paired() && !grouped_; }
    // Inputs of each lane before group 0 that outputs of group 0 depend on.
    constexpr int SplitHistory() const { return subHistory_; }
    // Groups a block may have with the split input kept in `floats` floats.
    uint32_t KeptGroups(size_t floats) const {
        const size_t lane = floats / static_cast<size_t>(down_);
        return lane > static_cast<size_t>(subHistory_) ? static_cast<uint32_t>(lane - subHistory_) : 0;
    }
    // Silences the history of kept lanes laid out by `layout`.
    void ClearKept(const Layout& layout, float* lanes) const;
    // As Run for a filter that KeepsSplit, on `lanes` (layout.stride floats per lane,
    // history first) that hold the history split from earlier blocks: the block is split
    // into the lanes after it, and each lane's last inputs become the next block's
    // history. Needs no scratch and no linear copy of the input; out may be the block.
    void RunKept(const Layout& layout, float* lanes, const float* block, uint32_t groups, float* out,
                 FirPath path) const;

    // The widest loops this build holds, this processor runs and no limit excludes;
    // stages take it when they are prepared.
    static FirPath ChosenPath();
    // Whether this build holds the loops of `path` and this processor can run them.
    static bool PathRuns(FirPath path);
    // Keeps ChosenPath at or below `widest` (tests and benchmarks compare the paths).
    static void LimitPath(FirPath widest);

    // The single output of a one-phase filter whose group base is at x[0]
    // (for a last, incomplete group).
    float Single(const float* x) const;

private:
    struct Phase {
        int count = 0;
        float coef[kMaxTaps] = {};
        int16_t offset[kMaxTaps] = {};  // linear input offset from M*g
        int8_t sub[kMaxTaps] = {};      // offset mod M: which deinterleaved lane
        int16_t index[kMaxTaps] = {};   // offset div M: index within that lane
    };

    // Whether a block of `groups` groups runs on the row loops of `width` lanes. The turns
    // in and out cost a few shuffles per row, which the aligned loads repay where each
    // output has many taps and there are enough rows: the decimator by 2, on at least
    // eight rows of groups, the one filter the row loops are compiled for. The filters
    // with a pair of phases (all of several phases, and the decimator by 3 taken two
    // outputs at a time) load each input vector once for two sums on the plain loops,
    // which measured faster than the rows.
    bool UseRows(uint32_t groups, uint32_t width) const { return up_ == 1 && down_ == 2 && groups >= 8 * width; }


    void RunRows(const float* x, const float* block, uint32_t groups, float* out, FirPath path, float* scratch) const;

    static constexpr int FloorDiv(int a, int b) { return (a >= 0) ? a / b : -((-a + b - 1) / b); }

    // Appends the tap with coefficient c that reads input `offset` (from down * g) to ph;
    // taps that are exactly zero are left out.
    constexpr void AddTap(Phase& ph, float c, int offset) {
        if (c == 0.0f) return;
        const int index = FloorDiv(offset, down_);
        ph.coef[ph.count] = c;
        ph.offset[ph.count] = static_cast<int16_t>(offset);
        ph.sub[ph.count] = static_cast<int8_t>(offset - down_ * index);
        ph.index[ph.count] = static_cast<int16_t>(index);
        ++ph.count;
        if (-offset > history_) history_ = -offset;
        if (-index > subHistory_) subHistory_ = -index;
    }

    constexpr void Finish() {
        // The deinterleaved copy reads down * subHistory samples before the group.
        if (down_ * subHistory_ > history_) history_ = down_ * subHistory_;
        PlanPair();
    }

    // The two longest phases, merged by input offset (both phases' offsets fall as their
    // taps rise): a step where both read the same input feeds both, any other step one of
    // them; a third phase must be a single tap (a third-band filter's centre). A one-phase
    // filter pairs each group with the next one instead, whose taps read `down` inputs
    // further on: tap e of the second reads what tap e + (taps per `down` inputs) of the
    // first reads. Left without a pair when the phases share too few inputs to be worth it
    // or the steps do not fit the plan's segments.
    constexpr void PlanPair() {
        int a = 0;
        for (int r = 1; r < up_; ++r)
            if (phases_[r].count > phases_[a].count) a = r;
        int b = up_ == 1 ? 0 : a == 0 ? 1 : 0;
        for (int r = 0; r < up_; ++r)
            if (r != a && phases_[r].count > phases_[b].count) b = r;
        if (a > b) {
            const int t = a;
            a = b;
            b = t;
        }
        const int shift = up_ == 1 ? down_ : 0;  // offset of the second's inputs, as the first sees them
        const Phase& pa = phases_[a];
        const Phase& pb = phases_[b];
        int ea = 0, eb = 0, steps = 0, shared = 0, segments = 0;
        while (ea < pa.count || eb < pb.count) {
            int bits = 0;
            if (eb >= pb.count || (ea < pa.count && pa.offset[ea] >= pb.offset[eb] + shift)) bits |= 1;
            if (ea >= pa.count || (eb < pb.count && pb.offset[eb] + shift >= pa.offset[ea])) bits |= 2;
            if (steps == 0 || pairSegment_[segments - 1].phases != bits) {
                if (segments == FirPlanView::kMaxPairSegments) return;
                pairSegment_[segments++] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(steps),
                                            static_cast<uint8_t>(steps)};
            }
            ++pairSegment_[segments - 1].end;
            pairOffset_[steps] = static_cast<int16_t>(bits & 1 ? pa.offset[ea] : pb.offset[eb] + shift);
            pairSub_[steps] = static_cast<int8_t>(bits & 1 ? pa.sub[ea] : pb.sub[eb]);
            pairIndex_[steps] = static_cast<int16_t>(bits & 1 ? pa.index[ea] : pb.index[eb]);
            pairCoef_[0][steps] = bits & 1 ? pa.coef[ea++] : 0.0f;
            pairCoef_[1][steps] = bits & 2 ? pb.coef[eb++] : 0.0f;
            if (bits == 3) ++shared;
            ++steps;
        }
        if (4 * shared < 3 * (pa.count < pb.count ? pa.count : pb.count)) return;
        // The paired loops take a third phase's sum as they store it: one tap only.
        if (up_ == 3 && phases_[3 - a - b].count != 1) return;
        pairPhase_[0] = a;
        pairPhase_[1] = b;
        pairSegments_ = segments;
    }

    int up_ = 1;
    int down_ = 1;
    float scale_ = 1.0f;
    bool grouped_ = false;  // a one-phase decimator taken several outputs at a time
    int history_ = 0;
    int subHistory_ = 0;
    Phase phases_[kMaxPhases] = {};
    // The paired phases' steps (PlanPair): the input each step reads, both phases'
    // coefficients (0 where a phase has no tap) and the segments. A one-phase filter's
    // pair is phase 0 twice, for two groups.
    int pairPhase_[2] = {-1, -1};
    int pairSegments_ = 0;
    FirPlanView::PairSegment pairSegment_[FirPlanView::kMaxPairSegments] = {};
    int16_t pairOffset_[FirPlanView::kMaxPairSteps] = {};  // the input each step reads, from down * g
    int8_t pairSub_[FirPlanView::kMaxPairSteps] = {};      // the same in the split copy: which lane,
    int16_t pairIndex_[FirPlanView::kMaxPairSteps] = {};   // and where in it (for two phases only)
    float pairCoef_[2][FirPlanView::kMaxPairSteps] = {};
};

}  // namespace qx
