#pragma once
// A fixed-ratio polyphase resampler driven by a phase counter. With P phases and a
// step of S per output, output o of a block sits at position Q = phase + S*o on a grid
// where input sample i is at P*i: it is the sum over t of table[Q mod P][t] * x[Q div P - t],
// taken in increasing t from 0 in single precision. A block of n inputs emits every
// output whose Q lies below P*n; the phase left over carries into the next block, whose
// first input is again at position 0.
//
// Four consecutive outputs are computed side by side from a table rearranged at compile
// time: for the phase of the first, row j holds each output's tap for input
// (newest input of the four) - j, or 0 where that input is outside its window. Walking j
// upwards adds every output's terms in increasing tap order, so the sums are the same
// as one output at a time (added zero terms change no finite sum). The vector loops of
// each instruction set (resample/FirPoly.inl) take blocks of at least two vectors from a
// layout of their own (FillVectors).
#include <cstddef>
#include <cstdint>

#include "resample/FirPlanView.h"

#if defined(_M_X64) || defined(__SSE2__)
#include <emmintrin.h>
#define QX_RESAMPLER_SSE2 1
#endif

namespace qx {

template <uint32_t P, uint32_t Stride, uint32_t T, uint32_t S>
class RationalResampler {
public:
    static constexpr uint32_t kLanes = 4;
    // Most inputs the newest of four outputs lies beyond the oldest's newest input.
    static constexpr uint32_t kSpan = (P - 1 + S * (kLanes - 1)) / P;
    static constexpr uint32_t kDepth = kSpan + T;

    constexpr explicit RationalResampler(const float (&table)[P][Stride]) : table_(table) {
        for (uint32_t phase = 0; phase < P; ++phase) {
            const uint32_t span = (phase + S * (kLanes - 1)) / P;
            span_[phase] = static_cast<uint8_t>(span);
            for (uint32_t l = 0; l < kLanes; ++l) {
                const uint32_t q = phase + S * l;
                const uint32_t lead = q / P;  // this output's newest input, from the first's
                for (uint32_t t = 0; t < T; ++t) lanes_[phase][span - lead + t][l] = table[q % P][t];
            }
        }
    }

    // Input samples before x[0] that a block reads (one more than the taps need, for the
    // zero-padded rows).
    static constexpr uint32_t History() { return T; }
    static constexpr uint32_t Taps() { return T; }

    // Outputs a block of n inputs yields from `phase`.
    static uint64_t OutputCount(uint32_t n, uint32_t phase) {
        const uint64_t end = static_cast<uint64_t>(P) * n;
        return end <= phase ? 0 : (end - phase + S - 1) / S;
    }

    static constexpr uint32_t Phases() { return P; }
    static constexpr uint32_t Step() { return S; }

    // The vector layout for `width` consecutive outputs (PolyPlanView): lane k's newest
    // input lies Shift(phase, k) inputs from lane 0's newest plus k.
    static constexpr int Shift(uint32_t phase, uint32_t k) {
        return static_cast<int>((phase + S * k) / P) - static_cast<int>(k);
    }
    static constexpr int ShiftBound(uint32_t width, bool most) {
        int bound = 0;
        for (uint32_t phase = 0; phase < P; ++phase)
            for (uint32_t k = 0; k < width; ++k) {
                const int shift = Shift(phase, k);
                if (most ? shift > bound : shift < bound) bound = shift;
            }
        return bound;
    }
    static constexpr int Reach(uint32_t width) { return ShiftBound(width, true); }
    static constexpr uint32_t VectorTaps(uint32_t width) {
        return T + static_cast<uint32_t>(ShiftBound(width, true) - ShiftBound(width, false));
    }
    // Input samples before x[0] that the vector loops of `width` lanes read.
    static constexpr uint32_t VectorHistory(uint32_t width) {
        return T - 1 + static_cast<uint32_t>(-ShiftBound(width, false));
    }
    // Inputs from x[n] on that the vector loops of `width` lanes read (each times a zero
    // coefficient).
    static constexpr uint32_t VectorOverread(uint32_t width) {
        return static_cast<uint32_t>(ShiftBound(width, true) - ShiftBound(width, false));
    }

    // Writes the layout for `width` lanes: coef[P][VectorTaps(width)][width], which must
    // be zeroed, and advance[P].
    void FillVectors(uint32_t width, float* coef, uint8_t* advance) const {
        const uint32_t taps = VectorTaps(width);
        const int reach = Reach(width);
        for (uint32_t phase = 0; phase < P; ++phase) {
            advance[phase] = static_cast<uint8_t>((phase + S * width) / P);
            for (uint32_t k = 0; k < width; ++k) {
                const uint32_t first = static_cast<uint32_t>(reach - Shift(phase, k));
                const float* row = table_[(phase + S * k) % P];
                for (uint32_t t = 0; t < T; ++t)
                    coef[(static_cast<size_t>(phase) * taps + first + t) * width + k] = row[t];
            }
        }
    }

    // Vectors of `width` outputs that cover a period of P outputs.
    static constexpr uint32_t PeriodVectors(uint32_t width) { return (P + width - 1) / width; }

    // Writes the stream layout of whole periods (PolyStreamView) over the vector layout
    // `coef` (FillVectors): coefAt, start and leave [P][PeriodVectors(width)], lead[P].
    // A vector's rows of coefficients that are zero in every lane at the ends of its
    // window are left out (they would add zero products: at the start to a zero sum, at
    // the end to a sum that is never -0), so its window may be a tap shorter. False where
    // some period's vectors do not overlap as a stream of `depth` needs: in order, each
    // vector's window reaching past the entry of the depth - 1 after it and ending by the
    // entry of the next.
    bool FillStream(uint32_t width, uint32_t depth, const float* coef, const float** coefAt, uint32_t* start,
                    uint32_t* leave, uint32_t* lead) const {
        const uint32_t n = PeriodVectors(width);
        const uint32_t taps = VectorTaps(width);
        for (uint32_t phase = 0; phase < P; ++phase) {
            const uint64_t newest = (phase + static_cast<uint64_t>(S) * width * (n - 1)) / P;
            lead[phase] = static_cast<uint32_t>(newest);
            for (uint32_t v = 0; v < n; ++v) {
                const uint64_t q = phase + static_cast<uint64_t>(S) * width * v;
                const float* rows = coef + static_cast<size_t>(q % P) * taps * width;
                uint32_t lo = 0, hi = taps;
                while (lo < hi && ZeroRow(rows + static_cast<size_t>(lo) * width, width)) ++lo;
                while (hi > lo && ZeroRow(rows + static_cast<size_t>(hi - 1) * width, width)) --hi;
                const size_t i = static_cast<size_t>(phase) * n + (n - 1 - v);
                coefAt[i] = rows + static_cast<size_t>(lo) * width;
                start[i] = static_cast<uint32_t>(newest - q / P) + lo;
                leave[i] = static_cast<uint32_t>(newest - q / P) + hi;
            }
            const uint32_t* s = start + static_cast<size_t>(phase) * n;
            const uint32_t* e = leave + static_cast<size_t>(phase) * n;
            for (uint32_t i = 0; i < n; ++i) {
                if (s[i] >= e[i] || (i > 0 && (s[i] < s[i - 1] || e[i] < e[i - 1]))) return false;
                if (i + depth - 1 < n && s[i + depth - 1] >= e[i]) return false;
                if (i + depth < n && s[i + depth] < e[i]) return false;
            }
        }
        return n >= depth;
    }

    // Converts x[0..n-1] (x[-History()..-1] hold the previous inputs) from `phase`,
    // writes at most maxOut outputs, advances `phase` past the whole block and returns
    // the number written. With a `wide` layout, the vector loops of `path` (whose vector
    // width it has) take every output of a block of at least two vectors; they read
    // x[-VectorHistory(width)..n - 1 + VectorOverread(width)].
    uint32_t Run(const float* x, uint32_t n, uint32_t& phase, float* out, uint32_t maxOut,
                 const PolyPlanView* wide = nullptr, FirPath path = FirPath::Sse2) const {
        const uint64_t count = OutputCount(n, phase);
        const uint32_t written = count < maxOut ? static_cast<uint32_t>(count) : maxOut;
        constexpr uint32_t kGroup = 4 * kLanes;  // four sets of lanes in flight at once
        uint32_t o = 0;
        if (wide && written >= 2 * wide->width) {
            RunWide(*wide, path, x, phase, written, out);
            o = written;
        }
        for (; o + kGroup <= written; o += kGroup) Group(x, phase + static_cast<uint64_t>(S) * o, out + o);
        for (; o < written; ++o) out[o] = Single(x, phase + static_cast<uint64_t>(S) * o);
        phase = static_cast<uint32_t>((phase + count * S) % P);
        return written;
    }

private:
    static bool ZeroRow(const float* row, uint32_t width) {
        for (uint32_t k = 0; k < width; ++k)
            if (row[k] != 0.0f) return false;
        return true;
    }

    static void RunWide(const PolyPlanView& wide, FirPath path, const float* x, uint64_t q, uint32_t count,
                        float* out) {
        // Laid out for SSE2 or AVX2 only (ConversionStage's VectorLayout).
        if (path == FirPath::Avx2) return fir_avx2::RunPolyphase(wide, x, q, count, out);
        if (path == FirPath::Sse2) return fir_sse2::RunPolyphase(wide, x, q, count, out);
    }

    void Group(const float* x, uint64_t q, float* out) const {
        const float* newest[4];
        const float* rows[4];
        for (int v = 0; v < 4; ++v) {
            const uint64_t qv = q + static_cast<uint64_t>(S) * kLanes * v;
            const uint32_t ph = static_cast<uint32_t>(qv % P);
            newest[v] = x + static_cast<size_t>(qv / P) + span_[ph];
            rows[v] = &lanes_[ph][0][0];
        }
#ifdef QX_RESAMPLER_SSE2
        // Written out with SSE2 so that the lanes, not the rows, form the vectors.
        __m128 acc[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
        for (uint32_t j = 0; j < kDepth; ++j) {
            for (int v = 0; v < 4; ++v) {
                const __m128 product = _mm_mul_ps(_mm_load_ps(rows[v] + kLanes * j), _mm_set1_ps(*(newest[v] - j)));
                acc[v] = _mm_add_ps(acc[v], product);
            }
        }
        for (int v = 0; v < 4; ++v) _mm_storeu_ps(out + kLanes * v, acc[v]);
#else
        float acc[4 * kLanes] = {};
        for (uint32_t j = 0; j < kDepth; ++j) {
            for (int v = 0; v < 4; ++v) {
                const float in = *(newest[v] - j);
                for (uint32_t l = 0; l < kLanes; ++l) acc[kLanes * v + l] += rows[v][kLanes * j + l] * in;
            }
        }
        for (uint32_t k = 0; k < 4 * kLanes; ++k) out[k] = acc[k];
#endif
    }

    float Single(const float* x, uint64_t q) const {
        const float* row = table_[q % P];
        const float* in = x + static_cast<size_t>(q / P);
        float acc = 0.0f;
        for (uint32_t t = 0; t < T; ++t) acc += row[t] * *(in - t);
        return acc;
    }

    const float (*table_)[Stride];
    alignas(16) float lanes_[P][kDepth][kLanes] = {};
    uint8_t span_[P] = {};
};

}  // namespace qx
