// The multirate FIR loops. Included, inside a namespace of its own, by each translation
// unit that compiles them for one instruction set. That unit first includes
// resample/FirPlanView.h and defines `Lanes`: its vector type Vec of kWidth floats, the
// number of vectors of accumulators a block keeps in registers (kBlock) and the
// operations Zero, Broadcast, Load, Store, Add, Mul, StorePairs (two vectors
// interleaved), LoadShared (a load that feeds two multiplies), StoreTriples (three vectors
// interleaved), SplitPairs and SplitTriples (two or three vectors' worth of input taken
// apart by position modulo 2 or 3), all inlined.
//
// The loops vectorise across groups, never across taps: each output stays one sum
// started at zero and taken in increasing tap order, every product rounded before its
// add, whatever the vector width. Everything a block keeps between taps lives in
// registers (its accumulators, one coefficient, one product), so nothing is spilled to
// the stack.

// Phase sums of K vectors of groups: vector k < K - 1 starts at group g + k * kWidth, the
// last at group `last` (which may overlap the one before it at the end of a block). Each
// tap loads its K vectors at fixed distances from one address, its offset from the input
// at group g. The sums are locals written out by folds over k, so that the compiler
// keeps each in a register of its own (a loop over an array, or stores through `acc`
// inside the tap loop, would send them through memory).
template <int K, std::size_t... k>
QX_FIR_INLINE void Accumulate(const float* coef, const int32_t* offset, int count, const float* base, uint32_t g,
                              uint32_t last, typename Lanes::Vec* acc, std::index_sequence<k...>) {
    using Vec = typename Lanes::Vec;
    const float* at = base + g;
    const std::size_t lastOffset = last - g;
    Vec sum[K] = {((void)k, Lanes::Zero())..., Lanes::Zero()};
    for (int e = 0; e < count; ++e) {
        const Vec c = Lanes::Broadcast(coef + e);
        const float* p = at + offset[e];
        ((sum[k] = Lanes::Add(sum[k], Lanes::Mul(c, Lanes::Load(p + k * Lanes::kWidth)))), ...);
        sum[K - 1] = Lanes::Add(sum[K - 1], Lanes::Mul(c, Lanes::Load(p + lastOffset)));
    }
    ((acc[k] = sum[k]), ...);
    acc[K - 1] = sum[K - 1];
}

template <int K>
QX_FIR_INLINE void Accumulate(const float* coef, const int32_t* offset, int count, const float* base, uint32_t g,
                              uint32_t last, typename Lanes::Vec* acc) {
    Accumulate<K>(coef, offset, count, base, g, last, acc, std::make_index_sequence<K - 1>());
}

// The one phase of K vectors of groups (placed as in Accumulate), written to out. The
// filters of two and three phases run on PairBlock.
template <int K>
QX_FIR_INLINE void Block(const FirPlanView& plan, const float* base, uint32_t g, uint32_t last, float* out) {
    using Vec = typename Lanes::Vec;
    constexpr int W = Lanes::kWidth;
    Vec acc[K];
    Accumulate<K>(plan.coef[0], plan.offset[0], plan.count[0], base, g, last, acc);
    const Vec scale = Lanes::Broadcast(&plan.scale);
    for (int k = 0; k < K; ++k) Lanes::Store(out + (k < K - 1 ? g + k * W : last), Lanes::Mul(acc[k], scale));
}

// One input vector into the sums of both paired phases.
QX_FIR_INLINE void Mac2(typename Lanes::Vec& a, typename Lanes::Vec& b, typename Lanes::Vec ca,
                        typename Lanes::Vec cb, const float* p) {
    const typename Lanes::Vec x = Lanes::LoadShared(p);
    a = Lanes::Add(a, Lanes::Mul(ca, x));
    b = Lanes::Add(b, Lanes::Mul(cb, x));
}

QX_FIR_INLINE void Mac1(typename Lanes::Vec& a, typename Lanes::Vec c, const float* p) {
    a = Lanes::Add(a, Lanes::Mul(c, Lanes::Load(p)));
}

// The paired phases (FirPlanView::pair) of K vectors of groups, placed as in Accumulate,
// into accA and accB. A step both phases take loads each of its K vectors once; the
// steps go segment by segment, so the loops inside carry no test per step. Each step's
// address is the input at group g plus the step's offset (no table of addresses per
// block); a segment that walks steps one pointer down instead of reading the offsets.
// (The two loops write their step out each: with the step in one inlined function the
// compiler made the same instructions, at other addresses, and `Up3` with AVX2 measured
// about a tenth slower.)
template <int K, std::size_t... k>
QX_FIR_INLINE void AccumulatePair(const FirPlanView& plan, const float* base, uint32_t g, uint32_t last,
                                  typename Lanes::Vec* accA, typename Lanes::Vec* accB, std::index_sequence<k...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    const std::size_t lastOffset = last - g;
    const float* at = base + g;
    const int32_t* offset = plan.pairOffset;
    const float* coefA = plan.pairCoef[0];
    const float* coefB = plan.pairCoef[1];
    Vec a[K] = {((void)k, Lanes::Zero())..., Lanes::Zero()};
    Vec b[K] = {((void)k, Lanes::Zero())..., Lanes::Zero()};
    for (int i = 0; i < plan.pairSegments; ++i) {
        const FirPlanView::PairSegment seg = plan.segment[i];
        const int end = seg.end;
        if (seg.phases == 3 && seg.walks) {
            const float* p = at + offset[seg.begin];
            for (int e = seg.begin; e < end; ++e, --p) {
                const Vec ca = Lanes::Broadcast(coefA + e), cb = Lanes::Broadcast(coefB + e);
                (Mac2(a[k], b[k], ca, cb, p + k * W), ...);
                Mac2(a[K - 1], b[K - 1], ca, cb, p + lastOffset);
            }
        } else if (seg.phases == 3) {
            for (int e = seg.begin; e < end; ++e) {
                const Vec ca = Lanes::Broadcast(coefA + e), cb = Lanes::Broadcast(coefB + e);
                const float* p = at + offset[e];
                (Mac2(a[k], b[k], ca, cb, p + k * W), ...);
                Mac2(a[K - 1], b[K - 1], ca, cb, p + lastOffset);
            }
        } else if (seg.phases == 1) {
            for (int e = seg.begin; e < end; ++e) {
                const Vec c = Lanes::Broadcast(coefA + e);
                const float* p = at + offset[e];
                (Mac1(a[k], c, p + k * W), ...);
                Mac1(a[K - 1], c, p + lastOffset);
            }
        } else {
            for (int e = seg.begin; e < end; ++e) {
                const Vec c = Lanes::Broadcast(coefB + e);
                const float* p = at + offset[e];
                (Mac1(b[k], c, p + k * W), ...);
                Mac1(b[K - 1], c, p + lastOffset);
            }
        }
    }
    ((accA[k] = a[k]), ...);
    accA[K - 1] = a[K - 1];
    ((accB[k] = b[k]), ...);
    accB[K - 1] = b[K - 1];
}

// All L phases of K vectors of groups with the paired loop, written interleaved to out.
// The phase left out of the pair (L = 3) has one tap (MultirateFir pairs no other filter
// of three phases): its sum, 0 plus one product, is taken as each vector is stored, so
// it needs neither a loop of its own nor a place on the stack.
template <int L, int K>
QX_FIR_INLINE void PairBlock(const FirPlanView& plan, const float* base, uint32_t g, uint32_t last, float* out) {
    using Vec = typename Lanes::Vec;
    constexpr int W = Lanes::kWidth;
    Vec a[K], b[K];
    AccumulatePair<K>(plan, base, g, last, a, b, std::make_index_sequence<K - 1>());
    const Vec scale = Lanes::Broadcast(&plan.scale);
    const int other = L == 3 ? 3 - plan.pair[0] - plan.pair[1] : 0;
    for (int k = 0; k < K; ++k) {
        const uint32_t start = k < K - 1 ? g + k * W : last;
        float* o = out + static_cast<std::size_t>(start) * L;
        const Vec pa = Lanes::Mul(a[k], scale), pb = Lanes::Mul(b[k], scale);
        if constexpr (L == 2) {
            Lanes::StorePairs(o, pa, pb);
        } else {
            const Vec product = Lanes::Mul(Lanes::Broadcast(plan.coef[other]),
                                           Lanes::Load(base + start + plan.offset[other][0]));
            const Vec ph = Lanes::Mul(Lanes::Add(Lanes::Zero(), product), scale);
            if (other == 2) {
                Lanes::StoreTriples(o, pa, pb, ph);
            } else if (other == 1) {
                Lanes::StoreTriples(o, pa, ph, pb);
            } else {
                Lanes::StoreTriples(o, ph, pa, pb);
            }
        }
    }
}

template <int L, int K, bool Paired>
QX_FIR_INLINE void AnyBlock(const FirPlanView& plan, const float* base, uint32_t g, uint32_t last, float* out) {
    if constexpr (Paired) {
        PairBlock<L, K>(plan, base, g, last, out);
    } else {
        static_assert(L == 1, "the filters of several phases pair");
        Block<K>(plan, base, g, last, out);
    }
}

// `vectors` vectors of groups from group g, the last one starting at group `last`.
template <int L, int K, bool Paired>
void Vectors(const FirPlanView& plan, const float* base, int vectors, uint32_t g, uint32_t last, float* out) {
    if (vectors == K) return AnyBlock<L, K, Paired>(plan, base, g, last, out);
    if constexpr (K > 1) Vectors<L, K - 1, Paired>(plan, base, vectors, g, last, out);
}

// One group, one output per phase, without vectors (blocks shorter than one vector).
template <int L>
void Single(const FirPlanView& plan, const float* base, uint32_t g, float* out) {
    for (int r = 0; r < L; ++r) {
        float acc = 0.0f;
        for (int e = 0; e < plan.count[r]; ++e) acc = acc + plan.coef[r][e] * (base + g)[plan.offset[r][e]];
        out[static_cast<std::size_t>(g) * L + r] = acc * plan.scale;
    }
}

// Blocks of at most B = Lanes::kBlock vectors of groups (that many sums in flight hide
// the add latency, and the coefficient and the tap's address are loaded once for all of
// them), as few as can be and as even as can be (19 vectors in blocks of 6 run as 4, 5,
// 5 and 5): a short block pays the loop's own work per tap over fewer sums. A group
// count that is not a multiple of the vector width ends with a vector that overlaps the
// one before it and writes the same values again.
// The paired loop keeps two sums per vector of groups, so its blocks hold half as many
// vectors (Lanes::kPairBlock).
template <int L, bool Paired>
void RunShape(const FirPlanView& plan, const float* base, uint32_t groups, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    constexpr uint32_t B = Paired ? Lanes::kPairBlock : Lanes::kBlock;
    if (groups < W) {
        for (uint32_t g = 0; g < groups; ++g) Single<L>(plan, base, g, out);
        return;
    }
    const uint32_t vectors = (groups + W - 1) / W;
    const uint32_t blocks = (vectors + B - 1) / B;
    uint32_t v = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        const uint32_t n = (vectors - v) / (blocks - i);
        const uint32_t last = v + n == vectors ? groups - W : (v + n - 1) * W;
        if (n == B) {
            AnyBlock<L, B, Paired>(plan, base, v * W, last, out);
        } else {
            Vectors<L, B, Paired>(plan, base, static_cast<int>(n), v * W, last, out);
        }
        v += n;
    }
}

// A count that is not a multiple of the vector width ends with a vector that overlaps
// the one before it and writes the same values again (the input is never the output).
void SplitPairs(const float* in, uint32_t count, float* even, float* odd) {
    constexpr uint32_t W = Lanes::kWidth;
    uint32_t i = 0;
    for (; i + W <= count; i += W) Lanes::SplitPairs(in + 2 * i, even + i, odd + i);
    if (i < count && i > 0) {
        const uint32_t last = count - W;
        return Lanes::SplitPairs(in + 2 * last, even + last, odd + last);
    }
    for (; i < count; ++i) {
        even[i] = in[2 * i];
        odd[i] = in[2 * i + 1];
    }
}

void SplitTriples(const float* in, uint32_t count, float* a, float* b, float* c) {
    constexpr uint32_t W = Lanes::kWidth;
    uint32_t i = 0;
    for (; i + W <= count; i += W) Lanes::SplitTriples(in + 3 * i, a + i, b + i, c + i);
    if (i < count && i > 0) {
        const uint32_t last = count - W;
        return Lanes::SplitTriples(in + 3 * last, a + last, b + last, c + last);
    }
    for (; i < count; ++i) {
        a[i] = in[3 * i];
        b[i] = in[3 * i + 1];
        c[i] = in[3 * i + 2];
    }
}

// lane[0 .. history - 1] = lane[groups .. groups + history - 1], the last inputs of a
// lane of the kept split input moved to its front for the next block. Vectors where the
// two do not overlap, the last one overlapping the one before it; else one at a time,
// forward.
void KeepHistory(float* lane, uint32_t groups, uint32_t history) {
    constexpr uint32_t W = Lanes::kWidth;
    if (groups < history || history < W) {
        for (uint32_t i = 0; i < history; ++i) lane[i] = lane[groups + i];
        return;
    }
    uint32_t i = 0;
    for (; i + W <= history; i += W) Lanes::Store(lane + i, Lanes::Load(lane + groups + i));
    if (i < history) Lanes::Store(lane + history - W, Lanes::Load(lane + groups + history - W));
}

// Whether the unit's Lanes takes six vectors' worth of input apart by position modulo 6
// in registers (SplitSixes(in, lanes, i) writing lanes[s][i .. i + kWidth - 1]).
template <class L, class = void>
constexpr bool kLanesSplitSixes = false;
template <class L>
constexpr bool kLanesSplitSixes<L, std::void_t<decltype(&L::SplitSixes)>> = true;

// The input taken apart by its position modulo 6 (lanes[s][i] = in[6i + s] for i below
// count). Without an operation of the unit's own: modulo 3 first, each of those then
// modulo 2 (lane s is the even or odd half of stream s mod 3), vector by vector through a
// small staging copy.
// Returns the inputs' groups of 6 taken apart (whole vectors' worth).
template <class L>
QX_FIR_INLINE uint32_t SplitSixVectors(const float* in, uint32_t count, float* const* lanes) {
    constexpr uint32_t W = L::kWidth;
    uint32_t i = 0;
    if constexpr (kLanesSplitSixes<L>) {
        for (; i + W <= count; i += W) L::SplitSixes(in + 6 * i, lanes, i);
    } else {
        float staged[3][2 * W];
        for (; i + W <= count; i += W) {
            L::SplitTriples(in + 6 * i, staged[0], staged[1], staged[2]);
            L::SplitTriples(in + 6 * i + 3 * W, staged[0] + W, staged[1] + W, staged[2] + W);
            for (int s = 0; s < 3; ++s) L::SplitPairs(staged[s], lanes[s] + i, lanes[s + 3] + i);
        }
    }
    return i;
}

void SplitSixes(const float* in, uint32_t count, float* const* lanes) {
    constexpr uint32_t W = Lanes::kWidth;
    uint32_t i = SplitSixVectors<Lanes>(in, count, lanes);
    // The rest as one more vector's worth that ends with the last group, overlapping the
    // one before (whose floats it writes again with the same values).
    if (i < count && count >= W) {
        const uint32_t at = count - W;
        float* const last[6] = {lanes[0] + at, lanes[1] + at, lanes[2] + at,
                                lanes[3] + at, lanes[4] + at, lanes[5] + at};
        SplitSixVectors<Lanes>(in + 6 * at, W, last);
        i = count;
    }
    for (; i < count; ++i)
        for (int s = 0; s < 6; ++s) lanes[s][i] = in[6 * i + s];
}

// The filters of two and three phases all pair (checked where they are defined), so
// only their paired loops are compiled; one phase runs on the plain loops.
void Run(const FirPlanView& plan, const float* base, uint32_t groups, float* out) {
    if (plan.up > 1 && plan.pair[0] < 0) return;
    switch (plan.up) {
        case 1: return RunShape<1, false>(plan, base, groups, out);
        case 2: return RunShape<2, true>(plan, base, groups, out);
        case 3: return RunShape<3, true>(plan, base, groups, out);
        default: return;
    }
}

// A filter whose split input is kept between blocks: down lanes `stride` floats apart,
// each with `history` inputs of earlier blocks first. The block is split into the lanes
// after the history, the groups run from the lanes, and each lane's last inputs move to
// its front for the next block.
void RunKept(const FirPlanView& plan, float* lanes, uint32_t stride, uint32_t history, const float* block,
             uint32_t groups, float* out) {
    float* a = lanes + history;
    if (plan.down == 2) {
        SplitPairs(block, groups, a, a + stride);
    } else if (plan.down == 3) {
        SplitTriples(block, groups, a, a + stride, a + 2 * static_cast<std::size_t>(stride));
    } else {
        return;
    }
    Run(plan, lanes, groups, out);
    for (int s = 0; s < plan.down; ++s) KeepHistory(lanes + static_cast<std::size_t>(s) * stride, groups, history);
}
