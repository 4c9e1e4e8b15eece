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
// vector, and two vectors of consecutive outputs (a pair) share the loads of the inputs
// their windows have in common. Walking the loads from the newest input down, each
// lane's products are still added in increasing tap order, each rounded before its add,
// and a zero coefficient adds a zero product, which changes no finite sum.

// acc += c * in, for both vectors of a pair on one load.
QX_FIR_INLINE void PolyBoth(typename Lanes::Vec& a, typename Lanes::Vec& b, typename Lanes::Vec ca,
                            typename Lanes::Vec cb, typename Lanes::Vec in) {
    b = Lanes::Add(b, Lanes::Mul(cb, in));
    a = Lanes::Add(a, Lanes::Mul(ca, in));
}

// One pair of vectors in each of the sets r (outputs r * outStride later, inputs
// r * inStride later): vector B (W outputs after A) has coefficients cB and its vector tap
// j loads at xB - j; A has cA and loads at xB - delta - j. B's first delta taps come
// first, then the taps both take from one load, then A's last delta.
template <std::size_t... r>
QX_FIR_INLINE void PolyPair(uint32_t taps, const float* cA, const float* cB, const float* xB, uint32_t delta,
                            std::size_t inStride, float* out, std::size_t outStride, std::index_sequence<r...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    Vec a[sizeof...(r)] = {((void)r, Lanes::Zero())...};
    Vec b[sizeof...(r)] = {((void)r, Lanes::Zero())...};
    uint32_t j = 0;
    for (; j < delta; ++j) {
        const Vec c = Lanes::Load(cB + W * j);
        ((b[r] = Lanes::Add(b[r], Lanes::Mul(c, Lanes::Load(xB + r * inStride - j)))), ...);
    }
    for (; j < taps; ++j) {
        const Vec cb = Lanes::Load(cB + W * j);
        const Vec ca = Lanes::Load(cA + W * (j - delta));
        (PolyBoth(a[r], b[r], ca, cb, Lanes::Load(xB + r * inStride - j)), ...);
    }
    const float* xA = xB - delta;
    for (j = taps - delta; j < taps; ++j) {
        const Vec c = Lanes::Load(cA + W * j);
        ((a[r] = Lanes::Add(a[r], Lanes::Mul(c, Lanes::Load(xA + r * inStride - j)))), ...);
    }
    ((Lanes::Store(out + r * outStride, a[r]), Lanes::Store(out + r * outStride + W, b[r])), ...);
}

// Outputs [0, span) from grid position q, in pairs (the last ending at span, overlapping
// the one before it), in R sets P outputs apart.
template <int R>
void PolyPeriod(const PolyPlanView& plan, const float* x, uint64_t q, uint32_t span, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    const uint32_t P = plan.phases;
    const uint32_t SW = plan.step * W;
    const std::size_t phaseFloats = static_cast<std::size_t>(plan.taps) * W;
    const auto pair = [&](uint32_t phase, const float* newest, float* o) {
        const uint32_t delta = plan.advance[phase];
        const uint32_t next = phase + SW - P * delta;
        PolyPair(plan.taps, plan.coef + phase * phaseFloats, plan.coef + next * phaseFloats,
                 newest + delta + plan.reach, delta, plan.step, o, P, std::make_index_sequence<R>());
        return next;
    };
    uint32_t phase = static_cast<uint32_t>(q % P);
    const float* newest = x + static_cast<std::size_t>(q / P);
    uint32_t o = 0;
    for (; o + 2 * W <= span; o += 2 * W) {
        const uint32_t next = pair(phase, newest, out + o);
        const uint32_t delta = plan.advance[phase] + plan.advance[next];
        phase = next + SW - P * plan.advance[next];
        newest += delta;
    }
    if (o < span) {
        const uint64_t last = q + static_cast<uint64_t>(plan.step) * (span - 2 * W);
        pair(static_cast<uint32_t>(last % P), x + static_cast<std::size_t>(last / P), out + span - 2 * W);
    }
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
