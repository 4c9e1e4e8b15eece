// The loops of the 160/147 polyphase kinds. Included, inside the namespace of its unit,
// after resample/FirLoops.inl (whose Lanes it uses) by every FIR unit.
//
// A vector holds W consecutive outputs. Lane k's newest input lies shift(k) inputs from
// where an unaligned load at lane 0's newest input puts it (shift is 0 or 1 apart across
// the lanes, up to 2 with 16), so vector tap j is one load of W consecutive inputs times
// a vector of coefficients that gives each lane its own tap j - (reach - shift(k)), 0
// outside its window (PolyPlanView). That is T + 1 or T + 2 vector taps for T taps,
// where broadcasting inputs into rows of lanes needed T + 7 (8 lanes) or more.
//
// Two loads per vector tap would leave the loops short of loads, so each coefficient
// vector and each load of inputs serve more than one multiply: the phases repeat every
// P outputs (S inputs), so up to three sets of outputs P apart share every coefficient
// vector, and up to three vectors of consecutive outputs (a group; two with 16 lanes)
// share the loads of the inputs their windows have in common. Walking the loads from the
// newest input down, each lane's products are still added in increasing tap order, each
// rounded before its add, and a zero coefficient adds a zero product, which changes no
// finite sum.

// Up to three vectors of consecutive outputs go together (a group); vector k counts from
// the newest. Its vector tap j loads at x - off[k] - j, so at load s (from x - s) vector k
// takes tap s - off[k] where 0 <= s - off[k] < taps: the vectors each load serves are
// always a run k = lo .. hi - 1, and a group walks through at most five such runs.
constexpr int kPolyMaxGroup = 3;

struct PolyGroupAt {
    const float* coef[kPolyMaxGroup];
    std::size_t off[kPolyMaxGroup];
    const float* x;
};

template <std::size_t R>
using PolySums = typename Lanes::Vec[kPolyMaxGroup][R];

template <std::size_t R, std::size_t lo, std::size_t... k>
QX_FIR_INLINE void PolyInto(PolySums<R>& acc, std::size_t r, const typename Lanes::Vec* c, typename Lanes::Vec in,
                            std::index_sequence<k...>) {
    ((acc[lo + k][r] = Lanes::Add(acc[lo + k][r], Lanes::Mul(c[k], in))), ...);
}

// Loads s0 .. s1 - 1 into vectors lo .. lo + sizeof...(k) - 1 of every set r.
template <std::size_t lo, std::size_t... k, std::size_t... r>
QX_FIR_INLINE void PolyRun(const SharedLoads& load, const PolyGroupAt& g, std::size_t s0, std::size_t s1,
                           std::size_t inStride, PolySums<sizeof...(r)>& acc, std::index_sequence<k...> ks,
                           std::index_sequence<r...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    for (std::size_t s = s0; s < s1; ++s) {
        const Vec c[] = {load(g.coef[lo + k] + W * (s - g.off[lo + k]))...};
        (PolyInto<sizeof...(r), lo>(acc, r, c, load(g.x + r * inStride - s), ks), ...);
    }
}

template <std::size_t... r>
QX_FIR_INLINE void PolyZero(PolySums<sizeof...(r)>& acc, std::index_sequence<r...>) {
    ((acc[0][r] = Lanes::Zero(), acc[1][r] = Lanes::Zero(), acc[2][r] = Lanes::Zero()), ...);
}

template <std::size_t... r>
QX_FIR_INLINE void PolyStoreOne(const typename Lanes::Vec* acc, float* out, std::size_t outStride,
                                std::index_sequence<r...>) {
    ((Lanes::Store(out + r * outStride, acc[r])), ...);
}

template <std::size_t... k, std::size_t... r>
QX_FIR_INLINE void PolyStore(PolySums<sizeof...(r)>& acc, float* const* out, std::size_t outStride,
                             std::index_sequence<k...>, std::index_sequence<r...> rs) {
    ((PolyStoreOne(acc[k], out[k], outStride, rs)), ...);
}

// A group of K vectors in each of the sets r (outputs r * outStride later, inputs
// r * inStride later); out[k] is where vector k's outputs go in set 0.
template <int K, std::size_t... r>
QX_FIR_INLINE void PolyGroup(const SharedLoads& load, std::size_t taps, const PolyGroupAt& g, std::size_t inStride,
                             float* const* out, std::size_t outStride, std::index_sequence<r...> rs) {
    constexpr std::size_t R = sizeof...(r);
    PolySums<R> acc;
    PolyZero(acc, rs);
    using std::index_sequence;
    if constexpr (K == 1) {
        PolyRun<0>(load, g, 0, taps, inStride, acc, index_sequence<0>(), rs);
    } else if constexpr (K == 2) {
        PolyRun<0>(load, g, 0, g.off[1], inStride, acc, index_sequence<0>(), rs);
        PolyRun<0>(load, g, g.off[1], taps, inStride, acc, index_sequence<0, 1>(), rs);
        PolyRun<1>(load, g, taps, taps + g.off[1], inStride, acc, index_sequence<0>(), rs);
    } else {
        PolyRun<0>(load, g, 0, g.off[1], inStride, acc, index_sequence<0>(), rs);
        PolyRun<0>(load, g, g.off[1], g.off[2], inStride, acc, index_sequence<0, 1>(), rs);
        PolyRun<0>(load, g, g.off[2], taps, inStride, acc, index_sequence<0, 1, 2>(), rs);
        PolyRun<1>(load, g, taps, taps + g.off[1], inStride, acc, index_sequence<0, 1>(), rs);
        PolyRun<2>(load, g, taps + g.off[1], taps + g.off[2], inStride, acc, index_sequence<0>(), rs);
    }
    PolyStore(acc, out, outStride, std::make_index_sequence<K>(), rs);
}

// Outputs [0, span) (span at least W) from grid position q, in R sets P outputs apart:
// groups of kMax vectors, then one group that ends at span (overlapping the one before
// it). Three vectors need the newest and the oldest to lie at most `taps` inputs apart,
// which holds up to eight lanes.
template <int R>
void PolyPeriod(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t span, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    constexpr int kMax = W <= 8 ? 3 : 2;
    const uint32_t P = plan.phases;
    const uint32_t SW = plan.step * W;
    const std::size_t phaseFloats = static_cast<std::size_t>(plan.taps) * W;
    const SharedLoads load(plan);
    // Lays out the group of K vectors whose oldest has `phase` and `newest` and runs it;
    // leaves in phase and newest those of the vector after it.
    const auto group = [&](auto count, uint32_t& phase, const float*& newest, float* o) {
        constexpr int K = decltype(count)::value;
        PolyGroupAt g{};
        float* outs[kPolyMaxGroup] = {};
        const float* at[K];
        for (int i = 0; i < K; ++i) {
            g.coef[K - 1 - i] = plan.coef + phase * phaseFloats;
            outs[K - 1 - i] = o + i * W;
            at[i] = newest;
            const uint32_t advance = plan.advance[phase];
            phase = phase + SW - P * advance;
            newest += advance;
        }
        for (int i = 0; i < K; ++i) g.off[K - 1 - i] = static_cast<std::size_t>(at[K - 1] - at[i]);
        g.x = at[K - 1] + plan.reach;
        PolyGroup<K>(load, plan.taps, g, plan.step, outs, P, std::make_index_sequence<R>());
    };
    uint32_t phase = static_cast<uint32_t>(q % P);
    const float* newest = x + static_cast<std::size_t>(q / P);
    uint32_t o = 0;
    for (; o + kMax * W <= span; o += kMax * W) group(std::integral_constant<int, kMax>(), phase, newest, out + o);
    const uint32_t left = span - o;
    if (left == 0) return;
    if (left > 2 * W && o == 0) {  // span below three vectors: two, then one more
        group(std::integral_constant<int, 2>(), phase, newest, out);
        o = 2 * W;
    }
    const uint32_t rest = span - o;
    const uint32_t vectors = rest <= W ? 1 : rest <= 2 * W ? 2 : 3;
    const uint32_t start = span - vectors * W;
    const uint64_t at = q + static_cast<uint64_t>(plan.step) * start;
    phase = static_cast<uint32_t>(at % P);
    newest = x + static_cast<std::size_t>(at / P);
    if (vectors == 1) group(std::integral_constant<int, 1>(), phase, newest, out + start);
    else if (vectors == 2) group(std::integral_constant<int, 2>(), phase, newest, out + start);
    else if constexpr (kMax == 3) group(std::integral_constant<int, 3>(), phase, newest, out + start);
}

void RunPolyphase(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t count, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    const uint32_t P = plan.phases;
    const uint64_t S = plan.step;
    uint32_t o = 0;
    for (; count - o >= 3 * P; o += 3 * P) PolyPeriod<3>(plan, x, q + S * o, P, out + o);
    if (count - o >= 2 * P) {
        PolyPeriod<2>(plan, x, q + S * o, P, out + o);
        o += 2 * P;
    }
    if (count - o >= P) {
        PolyPeriod<1>(plan, x, q + S * o, P, out + o);
        o += P;
    }
    if (count - o >= 2 * W) {
        PolyPeriod<1>(plan, x, q + S * o, count - o, out + o);
    } else if (o < count) {
        PolyPeriod<1>(plan, x, q + S * (count - 2 * W), 2 * W, out + count - 2 * W);
    }
}
