// The multirate FIR loops with AVX-512 (foundation instructions only), for processors
// that have it. Built like the AVX2 unit: this unit alone, no fused multiply-add, every
// vector kept in registers.
#include "resample/FirPlanView.h"

#include <cstdint>
#include <type_traits>
#include <utility>

#if defined(__AVX512F__)
#include <immintrin.h>

namespace qx::fir_avx512 {

// Bit p set where position p of the k-th vector of `width` floats of an interleaved run
// holds an element of stream s (position modulo 3).
constexpr __mmask16 TripleMask(int width, int k, int s) {
    int mask = 0;
    for (int p = 0; p < width; ++p)
        if ((width * k + p) % 3 == s) mask |= 1 << p;
    return static_cast<__mmask16>(mask);
}

// Every lane of a vector, for LoadShared; never written.
__mmask16 g_everyLane = 0xFFFF;

struct Lanes {
    using Vec = __m512;
    static constexpr int kWidth = 16;
    static constexpr int kRowBlock = 16;
    static constexpr bool kRowPairs = false;  // one-phase rows two groups at a time (FirRows.inl)
    static constexpr int kBlock = 16;
    static constexpr int kPairBlock = 12;
    static QX_FIR_INLINE Vec Zero() { return _mm512_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm512_set1_ps(*p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm512_loadu_ps(p); }
    // A load that feeds two multiplies, masked with every lane kept: a masked load cannot
    // be folded into an unmasked multiply, so the compiler keeps the vector in a register
    // and loads it once (from a plain load it made both multiplies read memory). The mask
    // is a variable so that it is not simplified into a plain load.
    static QX_FIR_INLINE Vec LoadShared(const float* p) { return _mm512_maskz_loadu_ps(g_everyLane, p); }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm512_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm512_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm512_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) {
        const __m512i low = _mm512_set_epi32(23, 7, 22, 6, 21, 5, 20, 4, 19, 3, 18, 2, 17, 1, 16, 0);
        const __m512i high = _mm512_set_epi32(31, 15, 30, 14, 29, 13, 28, 12, 27, 11, 26, 10, 25, 9, 24, 8);
        _mm512_storeu_ps(p, _mm512_permutex2var_ps(a, low, b));
        _mm512_storeu_ps(p + 16, _mm512_permutex2var_ps(a, high, b));
    }
    static QX_FIR_INLINE void SplitPairs(const float* in, float* even, float* odd) {
        const __m512 a = _mm512_loadu_ps(in), b = _mm512_loadu_ps(in + 16);
        const __m512i evens = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        const __m512i odds = _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
        _mm512_storeu_ps(even, _mm512_permutex2var_ps(a, evens, b));
        _mm512_storeu_ps(odd, _mm512_permutex2var_ps(a, odds, b));
    }
    // As with AVX2: each stream blended from the three vectors, then one permute (element
    // i of stream s lies at position (3i + s) mod 16).
    static QX_FIR_INLINE void SplitTriples(const float* in, float* a, float* b, float* c) {
        const __m512 x = _mm512_loadu_ps(in), y = _mm512_loadu_ps(in + 16), z = _mm512_loadu_ps(in + 32);
        const __m512 s0 =
            _mm512_mask_blend_ps(TripleMask(16, 2, 0), _mm512_mask_blend_ps(TripleMask(16, 1, 0), x, y), z);
        const __m512 s1 =
            _mm512_mask_blend_ps(TripleMask(16, 2, 1), _mm512_mask_blend_ps(TripleMask(16, 1, 1), x, y), z);
        const __m512 s2 =
            _mm512_mask_blend_ps(TripleMask(16, 2, 2), _mm512_mask_blend_ps(TripleMask(16, 1, 2), x, y), z);
        const __m512i to0 = _mm512_setr_epi32(0, 3, 6, 9, 12, 15, 2, 5, 8, 11, 14, 1, 4, 7, 10, 13);
        const __m512i to1 = _mm512_setr_epi32(1, 4, 7, 10, 13, 0, 3, 6, 9, 12, 15, 2, 5, 8, 11, 14);
        const __m512i to2 = _mm512_setr_epi32(2, 5, 8, 11, 14, 1, 4, 7, 10, 13, 0, 3, 6, 9, 12, 15);
        _mm512_storeu_ps(a, _mm512_maskz_permutexvar_ps(0xFFFF, to0, s0));
        _mm512_storeu_ps(b, _mm512_maskz_permutexvar_ps(0xFFFF, to1, s1));
        _mm512_storeu_ps(c, _mm512_maskz_permutexvar_ps(0xFFFF, to2, s2));
    }
    // As with AVX2: output k, position p holds element (16k + p) / 3 of source
    // (16k + p) mod 3, so each source is permuted once. (The zero-masking permute with
    // every lane kept leaves no source undefined.)
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) {
        const __m512i fromA = _mm512_setr_epi32(0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15, 10, 5);
        const __m512i fromB = _mm512_setr_epi32(5, 0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15, 10);
        const __m512i fromC = _mm512_setr_epi32(10, 5, 0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15);
        const __m512 pa = _mm512_maskz_permutexvar_ps(0xFFFF, fromA, a);
        const __m512 pb = _mm512_maskz_permutexvar_ps(0xFFFF, fromB, b);
        const __m512 pc = _mm512_maskz_permutexvar_ps(0xFFFF, fromC, c);
        _mm512_storeu_ps(p, _mm512_mask_blend_ps(0x4924, _mm512_mask_blend_ps(0x2492, pa, pb), pc));
        _mm512_storeu_ps(p + 16, _mm512_mask_blend_ps(0x2492, _mm512_mask_blend_ps(0x9249, pa, pb), pc));
        _mm512_storeu_ps(p + 32, _mm512_mask_blend_ps(0x9249, _mm512_mask_blend_ps(0x4924, pa, pb), pc));
    }
};

#include "resample/FirLoops.inl"
#include "resample/FirRows.inl"

bool Built() { return true; }

}  // namespace qx::fir_avx512

#else

namespace qx::fir_avx512 {
bool Built() { return false; }
void Run(const FirPlanView&, const float*, uint32_t, float*) {}
void RunKept(const FirPlanView&, float*, uint32_t, uint32_t, const float*, uint32_t, float*) {}
void SplitPairs(const float*, uint32_t, float*, float*) {}
void SplitTriples(const float*, uint32_t, float*, float*, float*) {}
void SplitSixes(const float*, uint32_t, float* const*) {}
void RunRows(const FirRowView&, const float*, const float*, float*, float*) {}
}  // namespace qx::fir_avx512

#endif
