// The multirate FIR loops. Included, inside a namespace of its own, by each translation
// unit that compiles them for one instruction set. That unit first includes
// resample/FirPlanView.h and defines `Lanes`: its vector type Vec of kWidth floats, the
// number of vectors of accumulators a block keeps in registers (kBlock) and the
// operations Zero, Broadcast, Load, Store, Add, Mul, StorePairs (two vectors
// interleaved), StoreTriples (three vectors interleaved) and SplitPairs (two vectors'
// worth of input taken apart by position modulo 2), all inlined.
//
// The loops vectorise across groups, never across taps: each output stays one sum
// started at zero and taken in increasing tap order, every product rounded before its
// add, whatever the vector width. Everything a block keeps between taps lives in
// registers (its accumulators, one coefficient, one product), so nothing is spilled to
// the stack.

// Phase sums of K vectors of groups: vector k < K - 1 starts at group g + k * kWidth, the
// last at group `last` (which may overlap the one before it at the end of a block). The
// taps' addresses for group g are worked out first, so that each tap loads its K vectors
// at fixed distances from one address. The sums are locals written out by folds over k,
// so that the compiler keeps each in a register of its own (a loop over an array, or
// stores through `acc` inside the tap loop, would send them through memory).
template <int K, std::size_t... k>
QX_FIR_INLINE void Accumulate(const float* coef, const float* const* taps, int count, uint32_t g, uint32_t last,
                              typename Lanes::Vec* acc, std::index_sequence<k...>) {
    using Vec = typename Lanes::Vec;
    const float* at[FirPlanView::kMaxTaps];
    for (int e = 0; e < count; ++e) at[e] = taps[e] + g;
    const std::size_t lastOffset = last - g;
    Vec sum[K] = {((void)k, Lanes::Zero())..., Lanes::Zero()};
    for (int e = 0; e < count; ++e) {
        const Vec c = Lanes::Broadcast(coef + e);
        const float* p = at[e];
        ((sum[k] = Lanes::Add(sum[k], Lanes::Mul(c, Lanes::Load(p + k * Lanes::kWidth)))), ...);
        sum[K - 1] = Lanes::Add(sum[K - 1], Lanes::Mul(c, Lanes::Load(p + lastOffset)));
    }
    ((acc[k] = sum[k]), ...);
    acc[K - 1] = sum[K - 1];
}

template <int K>
QX_FIR_INLINE void Accumulate(const float* coef, const float* const* taps, int count, uint32_t g, uint32_t last,
                              typename Lanes::Vec* acc) {
    Accumulate<K>(coef, taps, count, g, last, acc, std::make_index_sequence<K - 1>());
}

// All L phases of K vectors of groups (placed as in Accumulate), written interleaved to
// out. The earlier phases wait in `held` (floats only, written and read with unaligned
// moves) until the last one is computed.
template <int L, int K>
QX_FIR_INLINE void Block(const FirPlanView& plan, uint32_t g, uint32_t last, float* out) {
    using Vec = typename Lanes::Vec;
    constexpr int W = Lanes::kWidth;
    Vec acc[K];
    float held[(L > 1 ? L - 1 : 1) * K * W];
    for (int r = 0; r < L - 1; ++r) {
        Accumulate<K>(plan.coef[r], plan.taps[r], plan.count[r], g, last, acc);
        const Vec scale = Lanes::Broadcast(&plan.scale);
        for (int k = 0; k < K; ++k) Lanes::Store(held + (r * K + k) * W, Lanes::Mul(acc[k], scale));
    }
    Accumulate<K>(plan.coef[L - 1], plan.taps[L - 1], plan.count[L - 1], g, last, acc);
    const Vec scale = Lanes::Broadcast(&plan.scale);
    for (int k = 0; k < K; ++k) {
        const uint32_t start = k < K - 1 ? g + k * W : last;
        float* o = out + static_cast<std::size_t>(start) * L;
        const Vec phase = Lanes::Mul(acc[k], scale);
        if (L == 1) {
            Lanes::Store(o, phase);
        } else if (L == 2) {
            Lanes::StorePairs(o, Lanes::Load(held + k * W), phase);
        } else {
            Lanes::StoreTriples(o, Lanes::Load(held + k * W), Lanes::Load(held + (K + k) * W), phase);
        }
    }
}

// `vectors` vectors of groups from group g, the last one starting at group `last`.
template <int L, int K>
void Vectors(const FirPlanView& plan, int vectors, uint32_t g, uint32_t last, float* out) {
    if (vectors == K) return Block<L, K>(plan, g, last, out);
    if constexpr (K > 1) Vectors<L, K - 1>(plan, vectors, g, last, out);
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

// Blocks of B = Lanes::kBlock vectors of groups (that many sums in flight hide the add
// latency, and the coefficient and the tap's address are loaded once for all of them),
// then what is left in one block, or in two of half a block or more when more than B
// are left, so that no block but that of a short period has fewer than B / 2. A group
// count that is not a multiple of the vector width ends with a vector that overlaps the
// one before it and writes the same values again.
template <int L>
void RunShape(const FirPlanView& plan, uint32_t groups, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    constexpr uint32_t B = Lanes::kBlock;
    if (groups < W) {
        for (uint32_t g = 0; g < groups; ++g) Single<L>(plan, g, out);
        return;
    }
    const uint32_t vectors = (groups + W - 1) / W;
    uint32_t v = 0;
    for (; vectors - v >= B + B / 2; v += B) Block<L, B>(plan, v * W, (v + B - 1) * W, out);
    uint32_t left = vectors - v;
    if (left > B) {
        const uint32_t half = left / 2;
        Vectors<L, B>(plan, static_cast<int>(half), v * W, (v + half - 1) * W, out);
        v += half;
        left -= half;
    }
    Vectors<L, B>(plan, static_cast<int>(left), v * W, groups - W, out);
}

void SplitPairs(const float* in, uint32_t count, float* even, float* odd) {
    constexpr uint32_t W = Lanes::kWidth;
    uint32_t i = 0;
    for (; i + W <= count; i += W) Lanes::SplitPairs(in + 2 * i, even + i, odd + i);
    for (; i < count; ++i) {
        even[i] = in[2 * i];
        odd[i] = in[2 * i + 1];
    }
}

void Run(const FirPlanView& plan, uint32_t groups, float* out) {
    switch (plan.up) {
        case 1: return RunShape<1>(plan, groups, out);
        case 2: return RunShape<2>(plan, groups, out);
        case 3: return RunShape<3>(plan, groups, out);
        default: return;
    }
}
