// The multirate FIR loops with AVX2, for processors that have it (chosen when a stage is
// prepared). This unit alone is built for AVX2, without fused multiply-add, so every
// product is rounded before its add exactly as in the baseline loops. It includes
// nothing with functions of its own, and its loops keep every vector in registers: the
// stack of 64-bit Windows is aligned to 16 bytes only, so a 32-byte vector spilled there
// by an aligned move would fault.
#include "resample/FirPlanView.h"

#include <cstdint>
#include <type_traits>
#include <utility>

#if defined(__AVX2__)
#include <immintrin.h>

namespace qx::fir_avx2 {

// Bit p set where position p of the k-th vector of `width` floats of an interleaved run
// holds an element of stream s (position modulo 3).
constexpr int TripleMask(int width, int k, int s) {
    int mask = 0;
    for (int p = 0; p < width; ++p)
        if ((width * k + p) % 3 == s) mask |= 1 << p;
    return mask;
}

// Where input 2q (or 2q + 1) of 16 consecutive inputs lands when the even (odd) ones are
// picked out within each 128-bit half: a0 a2 b0 b2 | a4 a6 b4 b6.
constexpr int kHalfPairPosition[8] = {0, 1, 4, 5, 2, 3, 6, 7};
// Bit p set where position p of the k-th such vector of evens (or odds) holds an element
// of stream t (its index among the evens modulo 3).
constexpr int SixMask(int k, int t) {
    int mask = 0;
    for (int q = 0; q < 8; ++q)
        if ((8 * k + q) % 3 == t) mask |= 1 << kHalfPairPosition[q];
    return mask;
}
// The position that element i of stream t holds in that stream's blend of the three.
constexpr int SixIndex(int t, int i) { return kHalfPairPosition[(3 * i + t) % 8]; }

struct Lanes {
    using Vec = __m256;
    static constexpr int kWidth = 8;
    static constexpr int kRowBlock = 12;
    static constexpr bool kRowPairs = true;  // one-phase rows two groups at a time (FirRows.inl)
    static constexpr int kBlock = 12;
    static constexpr int kPairBlock = 6;
    static QX_FIR_INLINE Vec Zero() { return _mm256_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm256_broadcast_ss(p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm256_loadu_ps(p); }
    // A load that feeds two multiplies. vlddqu cannot be folded into an arithmetic
    // instruction, so the compiler keeps the vector in a register and loads it once (from
    // a plain load it made both multiplies read memory, twice the loads).
    static QX_FIR_INLINE Vec LoadShared(const float* p) {
        return _mm256_castsi256_ps(_mm256_lddqu_si256(reinterpret_cast<const __m256i*>(p)));
    }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm256_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm256_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm256_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) {
        const __m256 low = _mm256_unpacklo_ps(a, b);   // a0 b0 a1 b1 | a4 b4 a5 b5
        const __m256 high = _mm256_unpackhi_ps(a, b);  // a2 b2 a3 b3 | a6 b6 a7 b7
        _mm256_storeu_ps(p, _mm256_permute2f128_ps(low, high, 0x20));
        _mm256_storeu_ps(p + 8, _mm256_permute2f128_ps(low, high, 0x31));
    }
    // Within each 128-bit half first (a0 a2 b0 b2 | a4 a6 b4 b6), then the 64-bit pairs
    // into order.
    static QX_FIR_INLINE void SplitPairs(const float* in, float* even, float* odd) {
        const __m256 a = _mm256_loadu_ps(in), b = _mm256_loadu_ps(in + 8);
        const __m256d e = _mm256_castps_pd(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256d o = _mm256_castps_pd(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
        _mm256_storeu_ps(even, _mm256_castpd_ps(_mm256_permute4x64_pd(e, _MM_SHUFFLE(3, 1, 2, 0))));
        _mm256_storeu_ps(odd, _mm256_castpd_ps(_mm256_permute4x64_pd(o, _MM_SHUFFLE(3, 1, 2, 0))));
    }
    // The inverse of StoreTriples: each stream's elements are blended from the three
    // vectors (each position holds one of them in exactly one vector), then put in order
    // with one permute: element i of stream s lies at position (3i + s) mod 8.
    static QX_FIR_INLINE void SplitTriples(const float* in, float* a, float* b, float* c) {
        // (Constants of their own: an unoptimised build takes only those as immediates.)
        constexpr int y0 = TripleMask(8, 1, 0), z0 = TripleMask(8, 2, 0);
        constexpr int y1 = TripleMask(8, 1, 1), z1 = TripleMask(8, 2, 1);
        constexpr int y2 = TripleMask(8, 1, 2), z2 = TripleMask(8, 2, 2);
        const __m256 x = _mm256_loadu_ps(in), y = _mm256_loadu_ps(in + 8), z = _mm256_loadu_ps(in + 16);
        const __m256 s0 = _mm256_blend_ps(_mm256_blend_ps(x, y, y0), z, z0);
        const __m256 s1 = _mm256_blend_ps(_mm256_blend_ps(x, y, y1), z, z1);
        const __m256 s2 = _mm256_blend_ps(_mm256_blend_ps(x, y, y2), z, z2);
        _mm256_storeu_ps(a, _mm256_permutevar8x32_ps(s0, _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5)));
        _mm256_storeu_ps(b, _mm256_permutevar8x32_ps(s1, _mm256_setr_epi32(1, 4, 7, 2, 5, 0, 3, 6)));
        _mm256_storeu_ps(c, _mm256_permutevar8x32_ps(s2, _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7)));
    }
    // Input 6i + s of 48 to lanes[s][at + i]: the evens and the odds are picked out within
    // each 128-bit half (left out of order), then each set of three vectors is taken apart
    // modulo 3 as in SplitTriples, one permute putting both orders right. Input 6i + s is
    // even or odd input 3i + s / 2, so stream t of the evens is lane 2t, of the odds 2t + 1.
    static QX_FIR_INLINE void SplitSixes(const float* in, float* const* lanes, uint32_t at) {
        constexpr int m10 = SixMask(1, 0), m20 = SixMask(2, 0), m11 = SixMask(1, 1), m21 = SixMask(2, 1);
        constexpr int m12 = SixMask(1, 2), m22 = SixMask(2, 2);
        const __m256i to0 = _mm256_setr_epi32(SixIndex(0, 0), SixIndex(0, 1), SixIndex(0, 2), SixIndex(0, 3),
                                              SixIndex(0, 4), SixIndex(0, 5), SixIndex(0, 6), SixIndex(0, 7));
        const __m256i to1 = _mm256_setr_epi32(SixIndex(1, 0), SixIndex(1, 1), SixIndex(1, 2), SixIndex(1, 3),
                                              SixIndex(1, 4), SixIndex(1, 5), SixIndex(1, 6), SixIndex(1, 7));
        const __m256i to2 = _mm256_setr_epi32(SixIndex(2, 0), SixIndex(2, 1), SixIndex(2, 2), SixIndex(2, 3),
                                              SixIndex(2, 4), SixIndex(2, 5), SixIndex(2, 6), SixIndex(2, 7));
        __m256 half[2][3];  // [odd][k]
        for (int k = 0; k < 3; ++k) {
            const __m256 a = _mm256_loadu_ps(in + 16 * k), b = _mm256_loadu_ps(in + 16 * k + 8);
            half[0][k] = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
            half[1][k] = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
        }
        for (int odd = 0; odd < 2; ++odd) {
            const __m256 x = half[odd][0], y = half[odd][1], z = half[odd][2];
            const __m256 s0 = _mm256_blend_ps(_mm256_blend_ps(x, y, m10), z, m20);
            const __m256 s1 = _mm256_blend_ps(_mm256_blend_ps(x, y, m11), z, m21);
            const __m256 s2 = _mm256_blend_ps(_mm256_blend_ps(x, y, m12), z, m22);
            _mm256_storeu_ps(lanes[odd] + at, _mm256_permutevar8x32_ps(s0, to0));
            _mm256_storeu_ps(lanes[2 + odd] + at, _mm256_permutevar8x32_ps(s1, to1));
            _mm256_storeu_ps(lanes[4 + odd] + at, _mm256_permutevar8x32_ps(s2, to2));
        }
    }
    // Each source is permuted once so that every output vector takes each of its
    // elements from the same position of one of the three: output k, position p holds
    // element (8k + p) / 3 of source (8k + p) mod 3.
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) {
        const __m256 pa = _mm256_permutevar8x32_ps(a, _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5));
        const __m256 pb = _mm256_permutevar8x32_ps(b, _mm256_setr_epi32(5, 0, 3, 6, 1, 4, 7, 2));
        const __m256 pc = _mm256_permutevar8x32_ps(c, _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7));
        _mm256_storeu_ps(p, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x92), pc, 0x24));
        _mm256_storeu_ps(p + 8, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x24), pc, 0x49));
        _mm256_storeu_ps(p + 16, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x49), pc, 0x92));
    }
};

#include "resample/FirLoops.inl"
// Loads of the polyphase loops (resample/FirPoly.inl), whose loads each feed two or
// three multiplies: the compiler folds a plain load into every multiply that uses it,
// as a memory operand, and so loads it again for each. An integer load it cannot fold.
struct SharedLoads {
    explicit SharedLoads(const PolyPlanView&) {}
    QX_FIR_INLINE __m256 operator()(const float* p) const {
        return _mm256_castsi256_ps(_mm256_lddqu_si256(reinterpret_cast<const __m256i*>(p)));
    }
};

#include "resample/FirPoly.inl"
#include "resample/FirRows.inl"

bool Built() { return true; }

}  // namespace qx::fir_avx2

#else

namespace qx::fir_avx2 {
bool Built() { return false; }
void Run(const FirPlanView&, const float*, uint32_t, float*) {}
void RunKept(const FirPlanView&, float*, uint32_t, uint32_t, const float*, uint32_t, float*) {}
void SplitPairs(const float*, uint32_t, float*, float*) {}
void SplitTriples(const float*, uint32_t, float*, float*, float*) {}
void SplitSixes(const float*, uint32_t, float* const*) {}
void RunPolyphase(const PolyPlanView&, const float*, uint64_t, uint32_t, float*) {}
void RunRows(const FirRowView&, const float*, const float*, float*, float*) {}
}  // namespace qx::fir_avx2

#endif
