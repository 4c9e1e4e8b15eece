// The multirate FIR loops with AVX-512 (foundation instructions only), for processors
// that have it. Built like the AVX2 unit: this unit alone, no fused multiply-add, every
// vector kept in registers.
#include "resample/FirPlanView.h"

#if defined(__AVX512F__)
#include <immintrin.h>

namespace qx::fir_avx512 {

#include "resample/FirInterleave.inl"

// Four-float part `part` of v (the zero-masking form, whose unused source is defined).
#define Quarter(v, part) _mm512_maskz_extractf32x4_ps(0xF, v, part)

struct Lanes {
    using Vec = __m512;
    static constexpr int kWidth = 16;
    static QX_FIR_INLINE Vec Zero() { return _mm512_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm512_set1_ps(*p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm512_loadu_ps(p); }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm512_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm512_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm512_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) {
        const __m512i low = _mm512_set_epi32(23, 7, 22, 6, 21, 5, 20, 4, 19, 3, 18, 2, 17, 1, 16, 0);
        const __m512i high = _mm512_set_epi32(31, 15, 30, 14, 29, 13, 28, 12, 27, 11, 26, 10, 25, 9, 24, 8);
        _mm512_storeu_ps(p, _mm512_permutex2var_ps(a, low, b));
        _mm512_storeu_ps(p + 16, _mm512_permutex2var_ps(a, high, b));
    }
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) {
        StoreTriples4(p, Quarter(a, 0), Quarter(b, 0), Quarter(c, 0));
        StoreTriples4(p + 12, Quarter(a, 1), Quarter(b, 1),
                      Quarter(c, 1));
        StoreTriples4(p + 24, Quarter(a, 2), Quarter(b, 2),
                      Quarter(c, 2));
        StoreTriples4(p + 36, Quarter(a, 3), Quarter(b, 3),
                      Quarter(c, 3));
    }
};

#undef Quarter

#include "resample/FirLoops.inl"

bool Built() { return true; }

}  // namespace qx::fir_avx512

#else

namespace qx::fir_avx512 {
bool Built() { return false; }
void Run(const FirPlanView&, uint32_t, float*) {}
}  // namespace qx::fir_avx512

#endif
