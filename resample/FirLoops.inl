// The multirate FIR loops. Included, inside a namespace of its own, by each translation
// unit that compiles them for one instruction set. That unit first includes
// resample/FirPlanView.h and defines `Lanes`: its vector type Vec of kWidth floats and
// the operations Zero, Broadcast, Load, Store, Add, Mul, StorePairs (two vectors
// interleaved) and StoreTriples (three vectors interleaved), all inlined.
//
// The loops vectorise across groups, never across taps: each output stays one sum
// started at zero and taken in increasing tap order, every product rounded before its
// add, whatever the vector width. Everything a block keeps between taps lives in
// registers (at most eight accumulators, one coefficient, one product), so nothing is
// spilled to the stack.

// Phase sums of K vectors of consecutive groups from g.
template <int K>
QX_FIR_INLINE void Accumulate(const float* coef, const float* const* taps, int count, uint32_t g,
                              typename Lanes::Vec* acc) {
    for (int k = 0; k < K; ++k) acc[k] = Lanes::Zero();
    for (int e = 0; e < count; ++e) {
        const typename Lanes::Vec c = Lanes::Broadcast(coef + e);
        const float* p = taps[e] + g;
        for (int k = 0; k < K; ++k) acc[k] = Lanes::Add(acc[k], Lanes::Mul(c, Lanes::Load(p + k * Lanes::kWidth)));
    }
}

// All L phases of K vectors of groups from g, written interleaved to out. The earlier
// phases wait in `held` (floats only, written and read with unaligned moves) until the
// last one is computed.
template <int L, int K>
QX_FIR_INLINE void Block(const FirPlanView& plan, uint32_t g, float* out) {
    using Vec = typename Lanes::Vec;
    constexpr int W = Lanes::kWidth;
    Vec acc[K];
    float held[(L > 1 ? L - 1 : 1) * K * W];
    for (int r = 0; r < L - 1; ++r) {
        Accumulate<K>(plan.coef[r], plan.taps[r], plan.count[r], g, acc);
        const Vec scale = Lanes::Broadcast(&plan.scale);
        for (int k = 0; k < K; ++k) Lanes::Store(held + (r * K + k) * W, Lanes::Mul(acc[k], scale));
    }
    Accumulate<K>(plan.coef[L - 1], plan.taps[L - 1], plan.count[L - 1], g, acc);
    const Vec scale = Lanes::Broadcast(&plan.scale);
    float* o = out + static_cast<std::size_t>(g) * L;
    for (int k = 0; k < K; ++k) {
        const Vec last = Lanes::Mul(acc[k], scale);
        if (L == 1) {
            Lanes::Store(o + k * W, last);
        } else if (L == 2) {
            Lanes::StorePairs(o + 2 * k * W, Lanes::Load(held + k * W), last);
        } else {
            Lanes::StoreTriples(o + 3 * k * W, Lanes::Load(held + k * W), Lanes::Load(held + (K + k) * W), last);
        }
    }
}

// One group, one output per phase, without vectors (blocks shorter than one vector).
template <int L>
void Single(const FirPlanView& plan, uint32_t g, float* out) {
    for (int r = 0; r < L; ++r) {
        float acc = 0.0f;
        for (int e = 0; e < plan.count[r]; ++e) acc = acc + plan.coef[r][e] * plan.taps[r][e][g];
        out[static_cast<std::size_t>(g) * L + r] = acc * plan.scale;
    }
}

template <int L>
void RunShape(const FirPlanView& plan, uint32_t groups, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    uint32_t g = 0;
    for (; g + 8 * W <= groups; g += 8 * W) Block<L, 8>(plan, g, out);
    if (g + 4 * W <= groups) {
        Block<L, 4>(plan, g, out);
        g += 4 * W;
    }
    if (g + 2 * W <= groups) {
        Block<L, 2>(plan, g, out);
        g += 2 * W;
    }
    if (g + W <= groups) {
        Block<L, 1>(plan, g, out);
        g += W;
    }
    if (g == groups) return;
    // Fewer groups left than a vector holds: the block's last vector of groups again,
    // which writes the same values over those already written.
    if (groups >= W) return Block<L, 1>(plan, groups - W, out);
    for (; g < groups; ++g) Single<L>(plan, g, out);
}

void Run(const FirPlanView& plan, uint32_t groups, float* out) {
    switch (plan.up) {
        case 1: return RunShape<1>(plan, groups, out);
        case 2: return RunShape<2>(plan, groups, out);
        case 3: return RunShape<3>(plan, groups, out);
        default: return;
    }
}
