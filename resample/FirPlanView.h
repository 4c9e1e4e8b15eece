#pragma once
// The polyphase layout of one multirate FIR filter over one block, as plain data handed
// to the filter loops. The loops are compiled once per instruction set (portable C++,
// SSE2, AVX2, AVX-512); this header holds no functions, so nothing compiled for a wider
// instruction set can be shared with (and picked by the linker for) baseline code.
#include <cstddef>
#include <cstdint>

// The loops' small helpers must be inlined: a vector passed to a called function would
// go through the stack, which 64-bit Windows keeps aligned to 16 bytes only.
#if defined(_MSC_VER)
#define QX_FIR_INLINE __forceinline
#else
#define QX_FIR_INLINE inline __attribute__((always_inline))
#endif

namespace qx {

// The instruction sets the filter loops are compiled for, from narrowest to widest.
// Every path computes the same sums in the same order, so all give identical output.
enum class FirPath : uint8_t { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };
constexpr int kFirPathCount = 4;

struct FirPlanView {
    static constexpr int kMaxPhases = 3;
    static constexpr int kMaxTaps = 72;
    static constexpr int kMaxHistory = 72;  // input samples before a group, at most

    int up;
    int down;
    float scale;
    int count[kMaxPhases];
    const float* coef[kMaxPhases];
    // For phase r and tap e, where that tap's input for group 0 lies from the input base
    // the loops are given: group g reads base[offset[r][e] + g]. Inputs of one tap are
    // consecutive floats for consecutive groups. Offsets rather than addresses, so that
    // the plan is made once for a stage, not once for each block.
    const int32_t* offset[kMaxPhases];

    // The two longest phases taken together (pair[0] < 0: none): most of their taps read
    // the same inputs, so each input vector is loaded once and multiplied into both
    // phases' sums. Step s reads base[pairOffset[s] + g] with pairCoef[0][s] for phase
    // pair[0], pairCoef[1][s] for phase pair[1]; the steps of segment i, from
    // segment[i].begin to segment[i].end, feed the phases segment[i].phases names (bit 0:
    // the first, bit 1: the second). Each phase still meets its taps in increasing order.
    // In a segment that walks, each step reads one input below the step before it (the
    // filters without decimation), so the loops step a pointer instead of reading the
    // offsets: with 16 lanes, a load's address that waits on a load of its offset measured
    // a quarter slower.
    struct PairSegment {
        uint8_t phases;
        uint8_t begin;
        uint8_t end;
        uint8_t walks = 0;
    };
    static constexpr int kMaxPairSteps = 2 * kMaxTaps;
    static constexpr int kMaxPairSegments = 8;
    int pair[2];
    int pairSegments;
    PairSegment segment[kMaxPairSegments];
    const int32_t* pairOffset;
    const float* pairCoef[2];
};

// The same filter for the row loops of the wide instruction sets. The block's groups are
// cut into `width` runs of equal length, one per vector lane, and the input is turned so
// that row i holds, lane by lane, input i of each run: every tap of every group then
// reads one whole, aligned row. The caller provides the linear input (history first),
// the scratch for both turned copies, and sizes them with RowFloats.
struct FirRowView {
    int up;
    int down;
    float scale;
    uint32_t history;  // inputs before group 0 that the taps read
    uint32_t groups;
    int count[FirPlanView::kMaxPhases];
    const float* coef[FirPlanView::kMaxPhases];
    const int16_t* offset[FirPlanView::kMaxPhases];  // input of each tap relative to down * g
    // A one-phase filter's groups taken two at a time (pairSegments 0: not): group g + 1
    // reads `down` inputs after group g, so most of its taps read a row that a tap of
    // group g reads too. Step s reads the row at pairOffset[s] from group g's and feeds
    // group g with pairCoef[0][s] and group g + 1 with pairCoef[1][s], in the segments
    // as in FirPlanView.
    int pairSegments;
    FirPlanView::PairSegment segment[FirPlanView::kMaxPairSegments];
    const int16_t* pairOffset;
    const float* pairCoef[2];
};

// Floats of scratch the row loops need for `groups` groups at `width` lanes, alignment
// included: the linear input, the turned input and the turned outputs.
constexpr std::size_t RowRuns(uint32_t groups, uint32_t width) { return (groups + width - 1) / width; }
constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }
constexpr std::size_t RowLinearFloats(uint32_t history, int down, uint32_t groups, uint32_t width) {
    return RoundUp(history + width * down * RowRuns(groups, width) + 8, 16);
}
constexpr std::size_t RowInputFloats(uint32_t history, int down, uint32_t groups, uint32_t width) {
    return RoundUp(history + down * RowRuns(groups, width), 8) * width;
}
constexpr std::size_t RowOutputFloats(int up, uint32_t groups, uint32_t width) {
    return RoundUp(up * RowRuns(groups, width), 8) * width;
}
constexpr std::size_t RowFloats(uint32_t history, int up, int down, uint32_t groups, uint32_t width) {
    return 16 + RowLinearFloats(history, down, groups, width) + RowInputFloats(history, down, groups, width) +
           RowOutputFloats(up, groups, width);
}

// Whole periods of a 160/147 kind laid out for the stream of the 8-lane loops
// (resample/FirPoly.inl), for every phase a period can start at, so that a period sets
// nothing up. The period starting at phase p is `vectors` vectors of consecutive outputs;
// its stream vector i (output vector vectors - 1 - i: the newest first) takes its
// coefficients from coef[p * vectors + i] at loads start[p * vectors + i] up to (not
// including) leave[p * vectors + i], loads counting from the newest vector's newest
// input, which lies lead[p] inputs beyond that of the period's first output. Where P is
// not a whole number of vectors, the newest vector's last lanes are the first outputs of
// the next period.
struct PolyStreamView {
    static constexpr uint32_t kDepth = 3;  // vectors a load serves at most
    uint32_t vectors;                      // per period; 0: the periods are not laid out
    const float* const* coef;
    const uint32_t* start;
    const uint32_t* leave;
    const uint32_t* lead;
};

// One 160/147 polyphase kind laid out for vectors of `width` consecutive outputs. Lane k
// of a vector whose first output has phase p and newest input n takes its tap t from
// input (n + reach + k) - j at vector tap j = t + reach - ((p + step * k) / phases - k):
// coef[p][j] holds each lane's tap for that j, 0 where it lies outside the lane's window.
struct PolyPlanView {
    uint32_t phases;        // P: grid positions per input, and outputs per period
    uint32_t step;          // S: grid positions per output, and inputs per period
    uint32_t taps;          // vector taps per phase
    uint32_t width;         // lanes per vector
    int32_t reach;          // most any lane's newest input lies beyond lane 0's plus k
    const uint8_t* advance; // per phase: inputs the newest input moves on over `width` outputs
    const float* coef;      // [phases][taps][width], 64-byte aligned
    PolyStreamView stream;  // whole periods (8 lanes only)
};

// The loops of each instruction set: Run takes `groups` groups to up*groups outputs,
// output L*g + r being phase r of group g, reading the inputs at `base` through the
// plan's offsets; SplitPairs takes an input apart by position
// modulo 2 (even[i] = in[2i], odd[i] = in[2i + 1] for i below count), SplitTriples by
// position modulo 3 (a[i] = in[3i], b[i] = in[3i + 1], c[i] = in[3i + 2]), SplitSixes by
// position modulo 6 (lanes[s][i] = in[6i + s]); RunKept runs a block of a decimating
// filter on its split input kept between blocks (down lanes `stride` floats apart, each
// starting with `history` earlier inputs) and moves each lane's last inputs to its front.
// Built() says whether this build holds the loops.
#define QX_FIR_PATH_DECLARATIONS                                          \
    bool Built();                                                         \
    void Run(const FirPlanView& plan, const float* base, uint32_t groups, float* out); \
    void RunKept(const FirPlanView& plan, float* lanes, uint32_t stride, uint32_t history, const float* block, \
                 uint32_t groups, float* out);                                   \
    void SplitPairs(const float* in, uint32_t count, float* even, float* odd); \
    void SplitTriples(const float* in, uint32_t count, float* a, float* b, float* c); \
    void SplitSixes(const float* in, uint32_t count, float* const* lanes);
// The polyphase loops of the SSE2 and AVX2 sets (the AVX-512 loops' 16 lanes measured
// slower than AVX2's stream of 8, and the scalar loops keep to the resampler's own):
// RunPolyphase computes `count` (at least 2 * width) consecutive outputs of a plan whose
// width is the set's vector width, the first at grid position q over inputs x (x[0] at
// position 0).
#define QX_FIR_POLY_DECLARATIONS \
    void RunPolyphase(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t count, float* out);
namespace fir_scalar {
QX_FIR_PATH_DECLARATIONS
}
namespace fir_sse2 {
QX_FIR_PATH_DECLARATIONS
QX_FIR_POLY_DECLARATIONS
}
// The row loops: the history is history[-view.history .. -1], the groups' inputs
// block[0 .. down * groups - 1]; `scratch` holds RowFloats floats (for the set's width),
// out takes up * groups outputs (it may be the block: the inputs are copied into the
// scratch before anything is written).
#define QX_FIR_ROW_DECLARATIONS \
    void RunRows(const FirRowView& view, const float* history, const float* block, float* scratch, float* out);
namespace fir_avx2 {
QX_FIR_PATH_DECLARATIONS
QX_FIR_POLY_DECLARATIONS
QX_FIR_ROW_DECLARATIONS
}
namespace fir_avx512 {
QX_FIR_PATH_DECLARATIONS
QX_FIR_ROW_DECLARATIONS
}
#undef QX_FIR_ROW_DECLARATIONS
#undef QX_FIR_POLY_DECLARATIONS
#undef QX_FIR_PATH_DECLARATIONS

}  // namespace qx
