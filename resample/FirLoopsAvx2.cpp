// The multirate FIR loops with AVX2, for processors that have it (chosen when a stage is
// prepared). This unit alone is built for AVX2, without fused multiply-add, so every
// product is rounded before its add exactly as in the baseline loops. It includes
// nothing with functions of its own, and its loops keep every vector in registers: the
// stack of 64-bit Windows is aligned to 16 bytes only, so a 32-byte vector spilled there
// by an aligned move would fault.
#include "resample/FirPlanView.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace qx::fir_avx2 {

#include "resample/FirInterleave.inl"

struct Lanes {
    using Vec = __m256;
    static constexpr int kWidth = 8;
    static QX_FIR_INLINE Vec Zero() { return _mm256_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm256_broadcast_ss(p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm256_loadu_ps(p); }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm256_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm256_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm256_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) {
        const __m256 low = _mm256_unpacklo_ps(a, b);   // a0 b0 a1 b1 | a4 b4 a5 b5
        const __m256 high = _mm256_unpackhi_ps(a, b);  // a2 b2 a3 b3 | a6 b6 a7 b7
        _mm256_storeu_ps(p, _mm256_permute2f128_ps(low, high, 0x20));
        _mm256_storeu_ps(p + 8, _mm256_permute2f128_ps(low, high, 0x31));
    }
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) {
        StoreTriples4(p, _mm256_castps256_ps128(a), _mm256_castps256_ps128(b), _mm256_castps256_ps128(c));
        StoreTriples4(p + 12, _mm256_extractf128_ps(a, 1), _mm256_extractf128_ps(b, 1),
                      _mm256_extractf128_ps(c, 1));
    }
};

#include "resample/FirLoops.inl"

bool Built() { return true; }

}  // namespace qx::fir_avx2

#else

namespace qx::fir_avx2 {
bool Built() { return false; }
void Run(const FirPlanView&, uint32_t, float*) {}
}  // namespace qx::fir_avx2

#endif
