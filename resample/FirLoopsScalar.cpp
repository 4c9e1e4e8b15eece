// The multirate FIR loops in portable C++, one float at a time: the reference the vector
// loops are checked against, and the loops of processors without SSE2.
#include "resample/FirPlanView.h"

#include <type_traits>
#include <utility>

namespace qx::fir_scalar {

struct Lanes {
    using Vec = float;
    static constexpr int kWidth = 1;
    static constexpr int kBlock = 8;
    static constexpr int kPairBlock = 4;
    static Vec Zero() { return 0.0f; }
    static Vec Broadcast(const float* p) { return *p; }
    static Vec Load(const float* p) { return *p; }
    static Vec LoadShared(const float* p) { return *p; }
    static void Store(float* p, Vec v) { *p = v; }
    static Vec Add(Vec a, Vec b) { return a + b; }
    static Vec Mul(Vec a, Vec b) { return a * b; }
    static void StorePairs(float* p, Vec a, Vec b) {
        p[0] = a;
        p[1] = b;
    }
    static void SplitPairs(const float* in, float* even, float* odd) {
        *even = in[0];
        *odd = in[1];
    }
    static void SplitTriples(const float* in, float* a, float* b, float* c) {
        *a = in[0];
        *b = in[1];
        *c = in[2];
    }
    static void StoreTriples(float* p, Vec a, Vec b, Vec c) {
        p[0] = a;
        p[1] = b;
        p[2] = c;
    }
};

#include "resample/FirLoops.inl"

bool Built() { return true; }

}  // namespace qx::fir_scalar
