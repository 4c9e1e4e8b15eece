// The loops of the 160/147 polyphase kinds. Included, inside the namespace of its unit,
// after resample/FirLoops.inl (whose Lanes it uses) by every FIR unit.
//
// A vector holds W (4 or 8) consecutive outputs. Lane k's newest input lies shift(k)
// inputs from where an unaligned load at lane 0's newest input puts it (shift is 0 or 1
// apart across the lanes), so vector tap j is one load of W consecutive inputs times a
// vector of coefficients that gives each lane its own tap j - (reach - shift(k)), 0
// outside its window (PolyPlanView). That is T + 1 vector taps for T taps, where
// broadcasting inputs into rows of lanes needed T + 7 or more with 8 lanes.
//
// Two loads per vector tap would leave the loops short of loads, so each coefficient
// vector and each load of inputs serve more than one multiply: the phases repeat every
// P outputs (S inputs), so up to three sets of outputs P apart share every coefficient
// vector, and up to three vectors of consecutive outputs (a group) share the loads of
// the inputs their windows have in common. Walking the loads from the newest input down,
// each lane's products are still added in increasing tap order, each rounded before its
// add, and a zero coefficient adds a zero product, which changes no finite sum.

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

// The stream (8 lanes): the whole vectors of a period, newest first, each entering when
// the walk of loads reaches its newest input and leaving after its last tap, so that
// every load serves the NS - 1 or NS vectors whose windows hold it, where the groups
// served one vector at their ends. NS = 3: eight outputs move on 7 or 8 inputs (9 or 8
// in the down kind), so a window of 21 (23) vector taps reaches past the entry of the
// next two vectors and ends by that of the third (checked for every phase a whole period
// can start at when its layout is built, and per span for the others). Vector i of the
// stream keeps its sums in slot i mod NS; the loop over vectors is unrolled NS times so
// that every slot is known at compile time and the sums stay in registers (slots chosen
// at run time went through the stack). 4 lanes would need 6 slots, 18 sums in 16
// registers. With 16 lanes both a stream (NS = 2) and groups of two vectors measured
// slower than this stream of 8, so AVX-512 runs these kinds on the 8-lane loops. Whole
// periods read their layout from tables (PolyStreamView): working it out per period, a
// chain of dependent loads and multiplies over its vectors, took a sixth of the time.
constexpr uint32_t kPolyMaxStream = 40;

struct PolyStreamAt {
    const float* const* coef;  // of stream vector i
    const uint32_t* start;     // load at which vector i takes its first row of coefficients
    const uint32_t* leave;     // load after its last
    float* out;                // stream vector 0's outputs in set 0; vector i's lie i * W before
    float* spill;              // where the last set's vector 0 goes
    const float* x;            // load s reads x - s
    std::size_t inStride;
    std::size_t outStride;
    std::size_t n;
};

template <std::size_t NS, std::size_t first, std::size_t... m>
constexpr auto PolyRotated(std::index_sequence<m...>) {
    return std::index_sequence<(first + m) % NS...>();
}
// Slots first, first + 1, .. (count of them, modulo NS).
template <std::size_t NS, std::size_t first, std::size_t count>
using PolySlots = decltype(PolyRotated<NS, first % NS>(std::make_index_sequence<count>()));

// Loads s0 .. s1 - 1 into the slots k of every set r; the newest vector is `top`, in slot a.
template <std::size_t NS, std::size_t a, std::size_t... k, std::size_t... r>
QX_FIR_INLINE void PolyStreamRun(const SharedLoads& load, const PolyStreamAt& st, std::size_t top, std::size_t s0,
                                 std::size_t s1, PolySums<sizeof...(r)>& acc, std::index_sequence<k...>,
                                 std::index_sequence<r...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    const float* coef[NS] = {};
    std::size_t start[NS] = {};
    ((coef[k] = st.coef[top - (a + NS - k) % NS], start[k] = st.start[top - (a + NS - k) % NS]), ...);
    const float* const x = st.x;
    const std::size_t inStride = st.inStride;
    for (std::size_t s = s0; s < s1; ++s) {
        Vec c[NS];
        ((c[k] = load(coef[k] + W * (s - start[k]))), ...);
        (
            [&](std::size_t set) {
                const Vec in = load(x + set * inStride - s);
                ((acc[k][set] = Lanes::Add(acc[k][set], Lanes::Mul(c[k], in))), ...);
            }(r),
            ...);
    }
}

// Writes slot k's sums as those of stream vector v and clears them for the next vector.
template <std::size_t k, std::size_t... r>
QX_FIR_INLINE void PolyStreamStore(const PolyStreamAt& st, std::size_t v, PolySums<sizeof...(r)>& acc,
                                   std::index_sequence<r...>) {
    constexpr std::size_t R = sizeof...(r);
    float* const at = st.out - v * Lanes::kWidth;
    ((Lanes::Store(r + 1 == R && v == 0 ? st.spill : at + r * st.outStride, acc[k][r]), acc[k][r] = Lanes::Zero()),
     ...);
}

// Vector i (in slot a, i from NS - 1 up to n - 2) enters: all NS slots until vector
// i - NS + 1 leaves, then the other NS - 1 until vector i + 1 enters.
template <std::size_t NS, std::size_t a, std::size_t... r>
QX_FIR_INLINE void PolyStreamStep(const SharedLoads& load, const PolyStreamAt& st, std::size_t i,
                                  PolySums<sizeof...(r)>& acc, std::index_sequence<r...> rs) {
    const std::size_t leave = st.leave[i + 1 - NS];
    PolyStreamRun<NS, a>(load, st, i, st.start[i], leave, acc, PolySlots<NS, a + 1, NS>(), rs);
    PolyStreamStore<(a + 1) % NS>(st, i + 1 - NS, acc, rs);
    PolyStreamRun<NS, a>(load, st, i, leave, st.start[i + 1], acc, PolySlots<NS, a + 2, NS - 1>(), rs);
}

// After the last vector (n - 1, in slot a) has entered: the m vectors left leave in turn.
template <std::size_t NS, std::size_t a, std::size_t m, std::size_t... r>
QX_FIR_INLINE void PolyStreamDrain(const SharedLoads& load, const PolyStreamAt& st, std::size_t from,
                                   PolySums<sizeof...(r)>& acc, std::index_sequence<r...> rs) {
    if constexpr (m > 0) {
        const std::size_t v = st.n - m;
        const std::size_t leave = st.leave[v];
        PolyStreamRun<NS, a>(load, st, st.n - 1, from, leave, acc, PolySlots<NS, a + 1 + NS - m, m>(), rs);
        PolyStreamStore<(a + 1 + NS - m) % NS>(st, v, acc, rs);
        PolyStreamDrain<NS, a, m - 1>(load, st, leave, acc, rs);
    }
}

// The last vector (n - 1, in slot a) enters: all NS slots until vector n - NS leaves,
// then the rest leave in turn.
template <std::size_t NS, std::size_t a, std::size_t... r>
QX_FIR_INLINE void PolyStreamLast(const SharedLoads& load, const PolyStreamAt& st, PolySums<sizeof...(r)>& acc,
                                  std::index_sequence<r...> rs) {
    const std::size_t last = st.n - 1;
    const std::size_t leave = st.leave[last + 1 - NS];
    PolyStreamRun<NS, a>(load, st, last, st.start[last], leave, acc, PolySlots<NS, a + 1, NS>(), rs);
    PolyStreamStore<(a + 1) % NS>(st, last + 1 - NS, acc, rs);
    PolyStreamDrain<NS, a, NS - 1>(load, st, leave, acc, rs);
}

template <std::size_t NS, std::size_t... a, std::size_t... r>
QX_FIR_INLINE void PolyStreamAll(const SharedLoads& load, const PolyStreamAt& st, PolySums<sizeof...(r)>& acc,
                                 std::index_sequence<a...>, std::index_sequence<r...> rs) {
    // The first NS - 1 vectors enter with none leaving.
    ((a + 1 < NS ? PolyStreamRun<NS, a>(load, st, a, st.start[a], st.start[a + 1], acc,
                                        PolySlots<NS, 0, a + 1>(), rs)
                 : void()),
     ...);
    std::size_t i = NS - 1;
    const std::size_t last = st.n - 1;
    bool more = i < last;
    while (more) more = ((i < last ? (PolyStreamStep<NS, (NS - 1 + a) % NS>(load, st, i, acc, rs), ++i < last)
                                   : false) && ...);
    ((last % NS == a ? PolyStreamLast<NS, a>(load, st, acc, rs) : void()), ...);
}

template <int R>
void PolyStreamRunAll(const PolyPlanView& plan, const PolyStreamAt& st) {
    PolySums<R> acc;
    const auto rs = std::make_index_sequence<R>();
    PolyZero(acc, rs);
    PolyStreamAll<PolyStreamView::kDepth>(SharedLoads(plan), st, acc, std::make_index_sequence<PolyStreamView::kDepth>(),
                                          rs);
}

// The n = span / W whole vectors of outputs [0, span) from grid position q as one stream
// (above), in R sets P outputs apart. False, with nothing written, where the vectors'
// windows do not overlap as the stream needs: each vector's window must reach past the
// entry of the NS - 1 after it and end by the entry of the NS-th.
template <int R>
bool PolyStream(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t span, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    constexpr std::size_t NS = PolyStreamView::kDepth;
    const uint32_t n = span / W;
    if (n < NS || n > kPolyMaxStream) return false;
    const uint32_t P = plan.phases;
    const uint32_t SW = plan.step * W;
    const std::size_t phaseFloats = static_cast<std::size_t>(plan.taps) * W;
    const float* coef[kPolyMaxStream];
    uint32_t start[kPolyMaxStream];
    uint32_t leave[kPolyMaxStream];
    const float* at[kPolyMaxStream];
    uint32_t phase = static_cast<uint32_t>(q % P);
    const float* newest = x + static_cast<std::size_t>(q / P);
    for (uint32_t v = 0; v < n; ++v) {  // output vector v is stream vector n - 1 - v
        coef[n - 1 - v] = plan.coef + phase * phaseFloats;
        at[n - 1 - v] = newest;
        const uint32_t advance = plan.advance[phase];
        phase = phase + SW - P * advance;
        newest += advance;
    }
    for (uint32_t i = 0; i < n; ++i) {
        start[i] = static_cast<uint32_t>(at[0] - at[i]);
        leave[i] = start[i] + plan.taps;
    }
    for (uint32_t i = 0; i + NS - 1 < n; ++i) {
        if (start[i + NS - 1] >= leave[i]) return false;
        if (i + NS < n && start[i + NS] < leave[i]) return false;
    }
    float* const top = out + (n - 1) * W;
    const PolyStreamAt st{coef, start, leave, top, top + (R - 1) * P, at[0] + plan.reach, plan.step, P, n};
    PolyStreamRunAll<R>(plan, st);
    return true;
}

// R whole periods from grid position q on the stream laid out for the phase they start
// at (PolyStreamView). Where the period's newest vector reaches past its end, its lanes
// beyond the last set go to out[R * P ..] if `room` takes them (outputs a later call
// writes), else through a scratch, so that nothing is written past the R periods.
template <int R>
void PolyStreamPeriods(const PolyPlanView& plan, const float* x, uint64_t q, float* out, uint32_t room) {
    constexpr uint32_t W = Lanes::kWidth;
    const PolyStreamView& layout = plan.stream;
    const uint32_t P = plan.phases;
    const uint32_t n = layout.vectors;
    const uint32_t phase = static_cast<uint32_t>(q % P);
    const std::size_t first = static_cast<std::size_t>(phase) * n;
    float* const top = out + (n - 1) * W;
    float* const lastTop = top + (R - 1) * P;
    const uint32_t past = n * W - P;  // lanes of the newest vector beyond the period
    float scratch[W];
    const PolyStreamAt st{layout.coef + first,
                          layout.start + first,
                          layout.leave + first,
                          top,
                          past <= room ? lastTop : scratch,
                          x + static_cast<std::size_t>(q / P) + layout.lead[phase] + plan.reach,
                          plan.step,
                          P,
                          n};
    PolyStreamRunAll<R>(plan, st);
    if (st.spill == scratch)
        for (uint32_t k = 0; k < W - past; ++k) lastTop[k] = scratch[k];
}

// Outputs [0, span) (span at least W) from grid position q, in R sets P outputs apart:
// with 8 lanes, a whole period on its laid-out stream (which may write up to `room`
// outputs past the R sets), else a stream of the span's whole vectors; otherwise groups
// of three vectors, then one group that ends at span (overlapping the one before it).
// Three vectors need the newest and the oldest to lie at most `taps` inputs apart, which
// holds with 4 and 8 lanes.
template <int R>
void PolyPeriod(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t span, float* out, uint32_t room) {
    constexpr uint32_t W = Lanes::kWidth;
    static_assert(kPolyMaxGroup == 3, "the groups at a span's end are of one, two or three vectors");
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
    if constexpr (W == 8) {
        if (span == P && plan.stream.vectors != 0) return PolyStreamPeriods<R>(plan, x, q, out, room);
        if (PolyStream<R>(plan, x, q, span, out)) {
            if (span % W == 0) return;
            o = span - W;  // then the vector that ends at span, alone
        }
    }
    for (; o + 3 * W <= span; o += 3 * W) group(std::integral_constant<int, 3>(), phase, newest, out + o);
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
    else group(std::integral_constant<int, 3>(), phase, newest, out + start);
}

void RunPolyphase(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t count, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    const uint32_t P = plan.phases;
    const uint64_t S = plan.step;
    uint32_t o = 0;
    // Each call may write into the outputs after its own (`room` of them): a later call
    // writes them again.
    for (; count - o >= 3 * P; o += 3 * P) PolyPeriod<3>(plan, x, q + S * o, P, out + o, count - o - 3 * P);
    if (count - o >= 2 * P) {
        PolyPeriod<2>(plan, x, q + S * o, P, out + o, count - o - 2 * P);
        o += 2 * P;
    }
    if (count - o >= P) {
        PolyPeriod<1>(plan, x, q + S * o, P, out + o, count - o - P);
        o += P;
    }
    if (count - o >= 2 * W) {
        PolyPeriod<1>(plan, x, q + S * o, count - o, out + o, 0);
    } else if (o < count) {
        PolyPeriod<1>(plan, x, q + S * (count - 2 * W), 2 * W, out + count - 2 * W, 0);
    }
}
