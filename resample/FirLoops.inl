// The multirate FIR loops. Included, inside a namespace of its own, by each translation
// unit that compiles them for one instruction set; that unit defines kChunk (groups
// computed together) and includes resample/FirPlanView.h first.
//
// A chunk's accumulators stay in registers while the tap loop runs, so each output is
// still one sequential sum in tap order whatever the chunk size.

template <int L, int M, int W, bool Full>
void Chunk(const FirPlanView& plan, const float* x, uint32_t g0, int width, float* out) {
    const int w = Full ? W : width;
    const int subHistory = plan.subHistory;
    // With M > 1, the samples each lane of the chunk needs are taken apart by their
    // position modulo M first, so every tap reads consecutive floats.
    constexpr int kLanes = M > 1 ? M : 1;
    constexpr int kLaneLength = M > 1 ? FirPlanView::kMaxHistory / M + W : 1;
    float lanes[kLanes * kLaneLength];
    if (M > 1) {
        const float* start = x + static_cast<std::intptr_t>(M) * (static_cast<std::intptr_t>(g0) - subHistory);
        for (int m = 0; m < M; ++m)
            for (int s = 0; s < subHistory + w; ++s) lanes[m * kLaneLength + s] = start[M * s + m];
    }
    for (int r = 0; r < L; ++r) {
        const float* coef = plan.coef[r];
        const int16_t* offset = plan.offset[r];
        const int8_t* sub = plan.sub[r];
        const int16_t* index = plan.index[r];
        float acc[W] = {};
        for (int e = 0; e < plan.count[r]; ++e) {
            const float c = coef[e];
            const float* p =
                (M == 1) ? x + offset[e] + g0 : lanes + sub[e] * kLaneLength + subHistory + index[e];
            // Runs of 16 lanes: short enough for the compiler to unroll them completely
            // and keep all accumulators in vector registers.
            for (int b = 0; b < w; b += 16) {
                float* a = acc + b;
                const float* q = p + b;
                const int run = Full ? 16 : (w - b < 16 ? w - b : 16);
                for (int l = 0; l < run; ++l) a[l] += c * q[l];
            }
        }
        for (int l = 0; l < w; ++l) out[(g0 + l) * L + r] = acc[l] * plan.scale;
    }
}

template <int L, int M>
void RunShape(const FirPlanView& plan, const float* x, uint32_t groups, float* out) {
    // Wide chunks, then chunks of 16, then what is left.
    uint32_t g = 0;
    for (; g + kChunk <= groups; g += kChunk) Chunk<L, M, kChunk, true>(plan, x, g, kChunk, out);
    for (; g + 16 <= groups; g += 16) Chunk<L, M, 16, true>(plan, x, g, 16, out);
    if (g < groups) Chunk<L, M, 16, false>(plan, x, g, static_cast<int>(groups - g), out);
}

void Run(const FirPlanView& plan, const float* x, uint32_t groups, float* out) {
    // The stage kinds use these six shapes; each gets its own compiled loop.
    const int L = plan.up, M = plan.down;
    if (L == 2 && M == 1) return RunShape<2, 1>(plan, x, groups, out);
    if (L == 1 && M == 2) return RunShape<1, 2>(plan, x, groups, out);
    if (L == 3 && M == 2) return RunShape<3, 2>(plan, x, groups, out);
    if (L == 2 && M == 3) return RunShape<2, 3>(plan, x, groups, out);
    if (L == 3 && M == 1) return RunShape<3, 1>(plan, x, groups, out);
    if (L == 1 && M == 3) return RunShape<1, 3>(plan, x, groups, out);
}
