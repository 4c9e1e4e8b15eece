#include "resample/MultirateFir.h"

namespace qx {

namespace {
// Groups computed together. Their accumulators stay in registers while the tap loop
// runs, so each output is still one sequential sum in tap order.
constexpr int kChunk = 32;
}  // namespace

template <int L, int M, bool Full>
void MultirateFir::Chunk(const float* x, uint32_t g0, int width, float* out) const {
    const int w = Full ? kChunk : width;
    // With M > 1, the samples each lane of the chunk needs are taken apart by their
    // position modulo M first, so every tap reads consecutive floats.
    constexpr int kLanes = M > 1 ? M : 1;
    constexpr int kLaneLength = M > 1 ? kMaxHistory / M + kChunk : 1;
    float lanes[kLanes * kLaneLength];
    if (M > 1) {
        const float* start = x + static_cast<intptr_t>(M) * (static_cast<intptr_t>(g0) - subHistory_);
        for (int m = 0; m < M; ++m)
            for (int s = 0; s < subHistory_ + w; ++s) lanes[m * kLaneLength + s] = start[M * s + m];
    }
    for (int r = 0; r < L; ++r) {
        const Phase& ph = phases_[r];
        float acc[kChunk] = {};
        for (int e = 0; e < ph.count; ++e) {
            const float c = ph.coef[e];
            const float* p = (M == 1) ? x + ph.offset[e] + g0
                                      : lanes + ph.sub[e] * kLaneLength + subHistory_ + ph.index[e];
            // Runs of 16 lanes: short enough for the compiler to unroll them completely
            // and keep all accumulators in vector registers.
            for (int b = 0; b < w; b += 16) {
                float* a = acc + b;
                const float* q = p + b;
                const int lanes16 = Full ? 16 : (w - b < 16 ? w - b : 16);
                for (int l = 0; l < lanes16; ++l) a[l] += c * q[l];
            }
        }
        for (int l = 0; l < w; ++l) out[(g0 + l) * L + r] = acc[l] * scale_;
    }
}

template <int L, int M>
void MultirateFir::RunFixed(const float* x, uint32_t groups, float* out) const {
    uint32_t g = 0;
    for (; g + kChunk <= groups; g += kChunk) Chunk<L, M, true>(x, g, kChunk, out);
    if (g < groups) Chunk<L, M, false>(x, g, static_cast<int>(groups - g), out);
}

void MultirateFir::Run(const float* x, uint32_t groups, float* out) const {
    // The stage kinds use these five shapes; each gets its own compiled loop.
    if (up_ == 2 && down_ == 1) return RunFixed<2, 1>(x, groups, out);
    if (up_ == 1 && down_ == 2) return RunFixed<1, 2>(x, groups, out);
    if (up_ == 3 && down_ == 2) return RunFixed<3, 2>(x, groups, out);
    if (up_ == 2 && down_ == 3) return RunFixed<2, 3>(x, groups, out);
    if (up_ == 3 && down_ == 1) return RunFixed<3, 1>(x, groups, out);
    if (up_ == 1 && down_ == 3) return RunFixed<1, 3>(x, groups, out);
}

float MultirateFir::Single(const float* x) const {
    const Phase& ph = phases_[0];
    float acc = 0.0f;
    for (int e = 0; e < ph.count; ++e) acc += ph.coef[e] * x[ph.offset[e]];
    return acc * scale_;
}

}  // namespace qx
