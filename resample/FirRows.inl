// The row loops of the wide instruction sets. Included, inside the namespace of its unit,
// after resample/FirLoops.inl, by the AVX2 and AVX-512 units only (the 8 x 8 turn uses
// 256-bit moves and shuffles). Lanes is the unit's vector type as in FirLoops.inl.
//
// The unaligned loads of the loops in FirLoops.inl, a quarter to a half of which cross a
// cache line, are what holds them back. Here the block's groups are cut into W runs of V
// groups, one per lane, and the input is turned into rows: row i holds input i of every
// run. Group g of every run then takes tap e from row down * g + offset, one whole
// aligned vector, and the sums come out as rows too (row up * g + r holds phase r of
// group g of every run), to be turned back. Each output is still one sum started at
// zero, in increasing tap order, every product rounded before its add.

// dst row i, lane j = src row j, lane i, for 8 rows of 8 floats.
QX_FIR_INLINE void Turn8(const float* src, std::size_t srcStride, float* dst, std::size_t dstStride) {
    __m256 r[8];
    for (int j = 0; j < 8; ++j) r[j] = _mm256_loadu_ps(src + j * srcStride);
    __m256 t[8];
    for (int j = 0; j < 8; j += 2) {
        t[j] = _mm256_unpacklo_ps(r[j], r[j + 1]);      // a0 b0 a1 b1 | a4 b4 a5 b5
        t[j + 1] = _mm256_unpackhi_ps(r[j], r[j + 1]);  // a2 b2 a3 b3 | a6 b6 a7 b7
    }
    __m256 u[8];
    for (int j = 0; j < 8; j += 4) {
        u[j] = _mm256_shuffle_ps(t[j], t[j + 2], _MM_SHUFFLE(1, 0, 1, 0));      // a0 b0 c0 d0 | a4..
        u[j + 1] = _mm256_shuffle_ps(t[j], t[j + 2], _MM_SHUFFLE(3, 2, 3, 2));  // a1 b1 c1 d1 | a5..
        u[j + 2] = _mm256_shuffle_ps(t[j + 1], t[j + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[j + 3] = _mm256_shuffle_ps(t[j + 1], t[j + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int i = 0; i < 4; ++i) {
        _mm256_storeu_ps(dst + i * dstStride, _mm256_permute2f128_ps(u[i], u[i + 4], 0x20));
        _mm256_storeu_ps(dst + (i + 4) * dstStride, _mm256_permute2f128_ps(u[i], u[i + 4], 0x31));
    }
}

// Rows g .. g + K - 1 of groups, all phases, written as rows up * g + r of `sums`. The
// groups' rows lie M rows apart, a distance known at compile time, so each load is one
// address plus a constant (a distance in a register made the compiler chain the
// additions from one load's address to the next).
template <int M, int K, std::size_t... k>
QX_FIR_INLINE void RowBlock(const FirRowView& view, const float* rows, uint32_t g, float* sums,
                            std::index_sequence<k...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    constexpr std::size_t step = M * W;
    const float* base = rows + (view.history + static_cast<std::size_t>(M) * g) * W;
    const Vec scale = Lanes::Broadcast(&view.scale);
    for (int r = 0; r < view.up; ++r) {
        const float* coef = view.coef[r];
        const int16_t* offset = view.offset[r];
        Vec sum[K] = {((void)k, Lanes::Zero())...};
        for (int e = 0; e < view.count[r]; ++e) {
            const Vec c = Lanes::Broadcast(coef + e);
            const float* p = base + static_cast<std::ptrdiff_t>(offset[e]) * static_cast<std::ptrdiff_t>(W);
            ((sum[k] = Lanes::Add(sum[k], Lanes::Mul(c, Lanes::Load(p + k * step)))), ...);
        }
        float* o = sums + (static_cast<std::size_t>(view.up) * g + r) * W;
        ((Lanes::Store(o + k * view.up * W, Lanes::Mul(sum[k], scale))), ...);
    }
}

template <int M, int K>
void RowVectors(const FirRowView& view, const float* rows, uint32_t g, uint32_t count, float* sums) {
    if (count == K) return RowBlock<M, K>(view, rows, g, sums, std::make_index_sequence<K>());
    if constexpr (K > 1) RowVectors<M, K - 1>(view, rows, g, count, sums);
}

template <int M>
void RowSums(const FirRowView& view, const float* rows, uint32_t runs, float* sums) {
    constexpr uint32_t B = Lanes::kRowBlock;
    uint32_t g = 0;
    for (; g + B <= runs; g += B) RowBlock<M, B>(view, rows, g, sums, std::make_index_sequence<B>());
    if (g < runs) RowVectors<M, B>(view, rows, g, runs - g, sums);
}

// A one-phase filter's rows g, g + 2, .., g + 2K - 2 of groups (sums a) with the rows
// after each (sums b), as FirRowView's pair describes: a row that both groups of a pair
// read is loaded once for both. The pairs' rows lie 2 M rows apart. With AVX2 (16
// registers: twelve sums, two coefficients, the row and a product) this halves the loads
// of the plain row loop, which its aligned loads had made the limit; the AVX-512 loops
// (kRowPairs false) measured 7 to 8% slower this way and keep the plain row loop.
template <int M, int K, std::size_t... k>
QX_FIR_INLINE void RowPairBlock(const FirRowView& view, const float* rows, uint32_t g, float* sums,
                                std::index_sequence<k...>) {
    using Vec = typename Lanes::Vec;
    constexpr std::size_t W = Lanes::kWidth;
    constexpr std::size_t step = 2 * M * W;
    const float* base = rows + (view.history + static_cast<std::size_t>(M) * g) * W;
    const float* coefA = view.pairCoef[0];
    const float* coefB = view.pairCoef[1];
    const int16_t* offset = view.pairOffset;
    Vec a[K] = {((void)k, Lanes::Zero())...};
    Vec b[K] = {((void)k, Lanes::Zero())...};
    for (int i = 0; i < view.pairSegments; ++i) {
        const FirPlanView::PairSegment seg = view.segment[i];
        const int end = seg.end;
        if (seg.phases == 3) {
            for (int e = seg.begin; e < end; ++e) {
                const Vec ca = Lanes::Broadcast(coefA + e), cb = Lanes::Broadcast(coefB + e);
                const float* p = base + static_cast<std::ptrdiff_t>(offset[e]) * static_cast<std::ptrdiff_t>(W);
                (Mac2(a[k], b[k], ca, cb, p + k * step), ...);
            }
        } else if (seg.phases == 1) {
            for (int e = seg.begin; e < end; ++e) {
                const Vec c = Lanes::Broadcast(coefA + e);
                const float* p = base + static_cast<std::ptrdiff_t>(offset[e]) * static_cast<std::ptrdiff_t>(W);
                (Mac1(a[k], c, p + k * step), ...);
            }
        } else {
            for (int e = seg.begin; e < end; ++e) {
                const Vec c = Lanes::Broadcast(coefB + e);
                const float* p = base + static_cast<std::ptrdiff_t>(offset[e]) * static_cast<std::ptrdiff_t>(W);
                (Mac1(b[k], c, p + k * step), ...);
            }
        }
    }
    const Vec scale = Lanes::Broadcast(&view.scale);
    float* o = sums + static_cast<std::size_t>(g) * W;
    ((Lanes::Store(o + 2 * k * W, Lanes::Mul(a[k], scale))), ...);
    ((Lanes::Store(o + (2 * k + 1) * W, Lanes::Mul(b[k], scale))), ...);
}

template <int M, int K>
void RowPairVectors(const FirRowView& view, const float* rows, uint32_t g, uint32_t pairs, float* sums) {
    if (pairs == K) return RowPairBlock<M, K>(view, rows, g, sums, std::make_index_sequence<K>());
    if constexpr (K > 1) RowPairVectors<M, K - 1>(view, rows, g, pairs, sums);
}

// Blocks of Lanes::kPairBlock pairs of rows of groups; an odd row at the end alone.
template <int M>
void RowPairSums(const FirRowView& view, const float* rows, uint32_t runs, float* sums) {
    constexpr uint32_t P = Lanes::kPairBlock;
    uint32_t g = 0;
    for (; g + 2 * P <= runs; g += 2 * P) RowPairBlock<M, P>(view, rows, g, sums, std::make_index_sequence<P>());
    if (g + 2 <= runs) {
        const uint32_t pairs = (runs - g) / 2;
        RowPairVectors<M, P>(view, rows, g, pairs, sums);
        g += 2 * pairs;
    }
    if (g < runs) RowBlock<M, 1>(view, rows, g, sums, std::make_index_sequence<1>());
}

float* AlignedAt(float* p) {
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<float*>((a + 63) & ~static_cast<std::uintptr_t>(63));
}

void RunRows(const FirRowView& view, const float* history, const float* block, float* scratch, float* out) {
    constexpr uint32_t W = Lanes::kWidth;
    const uint32_t H = view.history, M = static_cast<uint32_t>(view.down), L = static_cast<uint32_t>(view.up);
    const uint32_t V = static_cast<uint32_t>(RowRuns(view.groups, W));
    const std::size_t S = static_cast<std::size_t>(M) * V;  // inputs per run
    float* linear = AlignedAt(scratch);
    float* rows = linear + RowLinearFloats(H, view.down, view.groups, W);
    float* sums = rows + RowInputFloats(H, view.down, view.groups, W);

    // The linear input: history, block, zeros for the runs' groups past the block.
    const std::size_t inputs = static_cast<std::size_t>(M) * view.groups;
    for (uint32_t i = 0; i < H; ++i) linear[i] = history[static_cast<std::ptrdiff_t>(i) - H];
    for (std::size_t i = 0; i < inputs; ++i) linear[H + i] = block[i];
    const std::size_t linearEnd = RowLinearFloats(H, view.down, view.groups, W);
    for (std::size_t i = H + inputs; i < linearEnd; ++i) linear[i] = 0.0f;

    // Row i, lane j = linear[i + j * S].
    const std::size_t rowCount = RoundUp(H + S, 8);
    for (std::size_t i = 0; i < rowCount; i += 8)
        for (uint32_t j = 0; j < W; j += 8) Turn8(linear + i + j * S, S, rows + i * W + j, W);

    // The one filter on rows, the decimator by 2 (the decimator by 3 runs two outputs at a
    // time on the paired loops), pairs its groups (checked where it is defined); loops
    // with pairs of rows take them so, the others one by one.
    if (M != 2) return;
    if constexpr (Lanes::kRowPairs) {
        if (view.pairSegments == 0) return;
        RowPairSums<2>(view, rows, V, sums);
    } else {
        RowSums<2>(view, rows, V, sums);
    }

    // Output u of run j is row u of the sums, lane j; run j's outputs start at j * L * V.
    const std::size_t perRun = static_cast<std::size_t>(L) * V;
    const std::size_t total = static_cast<std::size_t>(L) * view.groups;
    // Rows u .. u + 7 of the sums turned into the runs' outputs.
    const auto turnOut = [&](std::size_t u) {
        for (uint32_t j = 0; j < W; j += 8) {
            if ((j + 7) * perRun + u + 8 <= total) {
                Turn8(sums + u * W + j, W, out + j * perRun + u, perRun);
            } else {
                float turned[64];
                Turn8(sums + u * W + j, W, turned, 8);
                for (uint32_t a = 0; a < 8; ++a)
                    for (uint32_t b = 0; b < 8; ++b) {
                        const std::size_t at = (j + a) * perRun + u + b;
                        if (at < total) out[at] = turned[a * 8 + b];
                    }
            }
        }
    };
    std::size_t u = 0;
    for (; u + 8 <= perRun; u += 8) turnOut(u);
    // The last rows in one more turn that overlaps the one before it (writing some outputs
    // twice, with the same values: out is not the sums), rather than one float at a time.
    // A block runs on rows only with 8 rows of groups or more (UseRows), so perRun >= 8.
    if (u < perRun) turnOut(perRun - 8);
}
