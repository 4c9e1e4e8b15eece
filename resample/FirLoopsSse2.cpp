// The multirate FIR loops with SSE2, the baseline of every x86-64 processor.
#include "resample/FirPlanView.h"

#include <type_traits>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>

namespace qx::fir_sse2 {

// o[0..7] = a0 b0 a1 b1 a2 b2 a3 b3.
QX_FIR_INLINE void StorePairs4(float* o, __m128 a, __m128 b) {
    _mm_storeu_ps(o, _mm_unpacklo_ps(a, b));
    _mm_storeu_ps(o + 4, _mm_unpackhi_ps(a, b));
}

// o[0..11] = a0 b0 c0 a1 b1 c1 a2 b2 c2 a3 b3 c3.
QX_FIR_INLINE void StoreTriples4(float* o, __m128 a, __m128 b, __m128 c) {
    const __m128 a0b0 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 0, 0));  // a0 a0 b0 b0
    const __m128 c0a1 = _mm_shuffle_ps(c, a, _MM_SHUFFLE(1, 1, 0, 0));  // c0 c0 a1 a1
    const __m128 b1c1 = _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 1, 1));  // b1 b1 c1 c1
    const __m128 a2b2 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 2, 2, 2));  // a2 a2 b2 b2
    const __m128 c2a3 = _mm_shuffle_ps(c, a, _MM_SHUFFLE(3, 3, 2, 2));  // c2 c2 a3 a3
    const __m128 b3c3 = _mm_shuffle_ps(b, c, _MM_SHUFFLE(3, 3, 3, 3));  // b3 b3 c3 c3
    _mm_storeu_ps(o, _mm_shuffle_ps(a0b0, c0a1, _MM_SHUFFLE(2, 0, 2, 0)));
    _mm_storeu_ps(o + 4, _mm_shuffle_ps(b1c1, a2b2, _MM_SHUFFLE(2, 0, 2, 0)));
    _mm_storeu_ps(o + 8, _mm_shuffle_ps(c2a3, b3c3, _MM_SHUFFLE(2, 0, 2, 0)));
}

// a[0..3] = o[0, 3, 6, 9], b[0..3] = o[1, 4, 7, 10], c[0..3] = o[2, 5, 8, 11].
QX_FIR_INLINE void SplitTriples4(const float* o, float* a, float* b, float* c) {
    const __m128 x = _mm_loadu_ps(o), y = _mm_loadu_ps(o + 4), z = _mm_loadu_ps(o + 8);
    const __m128 y2z1 = _mm_shuffle_ps(y, z, _MM_SHUFFLE(1, 1, 2, 2));  // y2 y2 z1 z1
    const __m128 x1y0 = _mm_shuffle_ps(x, y, _MM_SHUFFLE(0, 0, 1, 1));  // x1 x1 y0 y0
    const __m128 y3z2 = _mm_shuffle_ps(y, z, _MM_SHUFFLE(2, 2, 3, 3));  // y3 y3 z2 z2
    const __m128 x2y1 = _mm_shuffle_ps(x, y, _MM_SHUFFLE(1, 1, 2, 2));  // x2 x2 y1 y1
    const __m128 z0z3 = _mm_shuffle_ps(z, z, _MM_SHUFFLE(3, 3, 0, 0));  // z0 z0 z3 z3
    _mm_storeu_ps(a, _mm_shuffle_ps(x, y2z1, _MM_SHUFFLE(2, 0, 3, 0)));
    _mm_storeu_ps(b, _mm_shuffle_ps(x1y0, y3z2, _MM_SHUFFLE(2, 0, 2, 0)));
    _mm_storeu_ps(c, _mm_shuffle_ps(x2y1, z0z3, _MM_SHUFFLE(2, 0, 2, 0)));
}

struct Lanes {
    using Vec = __m128;
    static constexpr int kWidth = 4;
    static constexpr int kBlock = 8;
    static constexpr int kPairBlock = 6;
    static QX_FIR_INLINE Vec Zero() { return _mm_setzero_ps(); }
    static QX_FIR_INLINE Vec Broadcast(const float* p) { return _mm_set1_ps(*p); }
    static QX_FIR_INLINE Vec Load(const float* p) { return _mm_loadu_ps(p); }
    static QX_FIR_INLINE Vec LoadShared(const float* p) { return _mm_loadu_ps(p); }
    static QX_FIR_INLINE void Store(float* p, Vec v) { _mm_storeu_ps(p, v); }
    static QX_FIR_INLINE Vec Add(Vec a, Vec b) { return _mm_add_ps(a, b); }
    static QX_FIR_INLINE Vec Mul(Vec a, Vec b) { return _mm_mul_ps(a, b); }
    static QX_FIR_INLINE void StorePairs(float* p, Vec a, Vec b) { StorePairs4(p, a, b); }
    static QX_FIR_INLINE void SplitPairs(const float* in, float* even, float* odd) {
        const __m128 a = _mm_loadu_ps(in), b = _mm_loadu_ps(in + 4);
        _mm_storeu_ps(even, _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(odd, _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    static QX_FIR_INLINE void StoreTriples(float* p, Vec a, Vec b, Vec c) { StoreTriples4(p, a, b, c); }
    static QX_FIR_INLINE void SplitTriples(const float* in, float* a, float* b, float* c) {
        SplitTriples4(in, a, b, c);
    }
};

#include "resample/FirLoops.inl"
// Loads of the polyphase loops (resample/FirPoly.inl). SSE2 multiplies cannot take an
// unaligned operand from memory, so a plain load stays one instruction.
struct SharedLoads {
    explicit SharedLoads(const PolyPlanView&) {}
    QX_FIR_INLINE __m128 operator()(const float* p) const { return _mm_loadu_ps(p); }
};

#include "resample/FirPoly.inl"

bool Built() { return true; }

}  // namespace qx::fir_sse2

#else

namespace qx::fir_sse2 {
bool Built() { return false; }
void Run(const FirPlanView&, const float*, uint32_t, float*) {}
void RunKept(const FirPlanView&, float*, uint32_t, uint32_t, const float*, uint32_t, float*) {}
void SplitPairs(const float*, uint32_t, float*, float*) {}
void SplitTriples(const float*, uint32_t, float*, float*, float*) {}
void SplitSixes(const float*, uint32_t, float* const*) {}
void RunPolyphase(const PolyPlanView&, const float*, uint64_t, uint32_t, float*) {}
}  // namespace qx::fir_sse2

#endif
