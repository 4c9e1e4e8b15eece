// The multirate FIR loops with SSE2, the baseline of every x86-64 processor.
#include "resample/FirPlanView.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>

namespace qx::fir_sse2 {

#include "resample/FirInterleave.inl"

struct Lanes {
    using Vec = __m128;
    static constexpr int kWidth = 4;
    static QX_FIR_INLINE Vec Zero() { return _mm_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm_set1_ps(*p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm_loadu_ps(p); }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) { StorePairs4(p, a, b); }
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) { StoreTriples4(p, a, b, c); }
};

#include "resample/FirLoops.inl"

bool Built() { return true; }

}  // namespace qx::fir_sse2

#else

namespace qx::fir_sse2 {
bool Built() { return false; }
void Run(const FirPlanView&, uint32_t, float*) {}
}  // namespace qx::fir_sse2

#endif
