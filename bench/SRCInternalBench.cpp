// Throughput of the sample-rate converter per output sample: whole chains in both
// directions, each stage kind alone, and, in the same run, the same conversions through
// three established resampling libraries at the setting nearest our filters' quality.
// bench/src_report.py turns the JSON output into the tables of docs/performance.md.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "resample/ConversionStage.h"
#include "resample/MultirateFir.h"
#include "resample/SRCInternal.h"
#include "bench/StageCases.h"

#ifdef QX_BENCH_REFERENCE_LIBS
#include <samplerate.h>
#include <soxr.h>
#include <speex/speex_resampler.h>
#endif

namespace {
using qx::bench::StageCase;
using qx::bench::kStages;
using qx::bench::PolyLoops;

struct Pair {
    uint32_t in, out, block;
};
// The conversions the hosts meet most, with one 10 ms period of the stream each.
constexpr Pair kPairs[] = {
    {48000, 44100, 480}, {44100, 48000, 441}, {96000, 48000, 960}, {8000, 48000, 80}, {192000, 48000, 1920},
};

std::vector<float> Noise(size_t n) {
    std::vector<float> v(n);
    uint32_t seed = 12345;
    for (auto& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed)) / 4294967296.0f;
    }
    return v;
}

std::string Name(const char* who, uint32_t from, uint32_t to, bool reverse) {
    return std::string("SRC/") + who + "/" + std::to_string(from) + "->" + std::to_string(to) +
           (reverse ? "/reverse" : "/forward");
}

// One channel converted block after block; each iteration copies a fresh input block
// into the channel buffer first, as a host does.
void RunOurs(benchmark::State& state, Pair p, bool reverse) {
    qx::SRCInternal src;
    uint32_t planned = 0;
    src.Init(p.in, p.out, p.block, &planned, 1);
    const uint32_t n = reverse ? planned : p.block;
    const uint32_t m = reverse ? p.block : planned;
    const std::vector<float> input = Noise(n);
    std::vector<float> buf(2 * (p.block + planned));
    const uint32_t direction = reverse ? qx::SRCInternal::Reverse : qx::SRCInternal::Forward;
    for (auto _ : state) {
        std::copy(input.begin(), input.end(), buf.begin());
        src.Process(buf.data(), 0, n, direction);
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * m);
    state.counters["outputs"] = m;
}

// Each stage kind alone, with its multiply-adds per output and the rate they reach.

// The FIR loops of each instruction set, as the benchmark names them.
constexpr const char* kPathNames[qx::kFirPathCount] = {"scalar", "sse2", "avx2", "avx512"};

void RunStage(benchmark::State& state, StageCase c, qx::FirPath path) {
    qx::MultirateFir::LimitPath(path);
    qx::SRCInternal src;
    src.Init(c.in, c.out, c.block, nullptr, 1);
    const qx::ConversionStage& stage = c.reverse ? src.ReverseStage(0) : src.ForwardStage(0);
    RunOurs(state, Pair{c.in, c.out, c.block}, c.reverse);
    const double macs = qx::ConversionStage::MultiplyAddsPerOutput(stage.Kind());
    state.counters["MACperOut"] = macs;
    state.counters["MACs"] =
        benchmark::Counter(macs * static_cast<double>(state.items_processed()), benchmark::Counter::kIsRate);
    qx::MultirateFir::LimitPath(qx::FirPath::Avx512);
}

// The FIR loops of one stage kind alone, on the block SRCStage converts: the block split
// and filtered (the kinds that keep their input split also take it into their lanes and
// keep their lanes' history), into an output buffer of its own, without the stage's and
// the host's copies of the block or the move of its history. What the stage adds to
// these is its work per call. (The 160/147 kinds run no multirate FIR.)
void RunLoops(benchmark::State& state, StageCase c, qx::FirPath path) {
    qx::SRCInternal src;
    uint32_t planned = 0;
    src.Init(c.in, c.out, c.block, &planned, 1);
    const qx::StageKind kind = (c.reverse ? src.ReverseStage(0) : src.ForwardStage(0)).Kind();
    const qx::MultirateFir* fir = qx::ConversionStage::FilterOf(kind);
    const uint32_t n = c.reverse ? planned : c.block;
    const uint32_t groups = n / static_cast<uint32_t>(fir->Down());
    const auto layout = std::make_unique<qx::MultirateFir::Layout>();
    // The history, then the block (the filters without decimation read both as one run);
    // a decimator splits its history in whole groups, a few inputs further back.
    const uint32_t history = static_cast<uint32_t>(fir->History() + qx::MultirateFir::kMaxDown);
    const std::vector<float> input = Noise(history + n);
    const float* x = input.data() + history;
    std::vector<float> out(static_cast<size_t>(groups) * fir->Up());
    std::vector<float> scratch;
    if (fir->KeepsSplit()) {
        scratch.resize(static_cast<size_t>(fir->Down()) * (fir->SplitHistory() + groups));
        fir->Lay(fir->KeptGroups(scratch.size()), *layout);
        fir->ClearKept(*layout, scratch.data());
    } else {
        scratch.resize(fir->ScratchFloats(groups));
        fir->Lay(groups, *layout);
    }
    for (auto _ : state) {
        if (fir->KeepsSplit()) {
            fir->RunKept(*layout, scratch.data(), x, groups, out.data(), path);
        } else {
            fir->Run(*layout, x, x, groups, out.data(), path, scratch.data());
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    const double macs = qx::ConversionStage::MultiplyAddsPerOutput(kind);
    const double outputs = static_cast<double>(out.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(out.size()));
    state.counters["outputs"] = outputs;
    state.counters["MACperOut"] = macs;
    state.counters["MACs"] =
        benchmark::Counter(macs * outputs * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// What one core sustains of independent single-precision multiply-adds, no fused
// multiply-add: S vectors of sums, each step adding a broadcast coefficient times S
// distinct vectors held in registers. The loop of six sums ran at 38 to 43 G
// multiply-adds per second with AVX2 in some builds and at 52 to 55 in others, the same
// instructions at another address, so each instruction set runs the loop with 6, 8, 10
// and 12 sums (each its own code) and the peak is the fastest of them (src_report.py).
// Written with intrinsics, the loop over the sums unrolled, so that the compiler cannot
// reshape it.
constexpr int kPeakSteps = 4096;
// Steps per block and blocks of the paired-load loop (below): a filter of 66 taps in two
// phases, a 10-ms period of 240 groups.
constexpr int kShapeTaps = 33;
constexpr int kShapeBlocks = 5;

// The loop of S sums with one instruction set's vector type and operations.
#define QX_PEAK_LOOP(Vec, load, broadcast, mul, add, store)                \
    Vec y[S], a[S];                                                        \
    for (int i = 0; i < S; ++i) {                                          \
        y[i] = load(coef + 3 * i);                                         \
        a[i] = load(coef + 64 + i);                                        \
    }                                                                      \
    for (int k = 0; k < kPeakSteps; ++k) {                                 \
        const Vec c = broadcast(coef + (k & 63));                          \
        _Pragma("GCC unroll 16") for (int i = 0; i < S; ++i) a[i] = add(a[i], mul(c, y[i])); \
    }                                                                      \
    Vec sum = a[0];                                                        \
    for (int i = 1; i < S; ++i) sum = add(sum, a[i]);                      \
    store(sink, sum)

template <int S>
void PeakSse2(const float* coef, float* sink) {
    QX_PEAK_LOOP(__m128, _mm_loadu_ps, _mm_load1_ps, _mm_mul_ps, _mm_add_ps, _mm_storeu_ps);
}

#if defined(__GNUC__) && defined(__x86_64__)
__attribute__((target("avx512f"))) inline __m512 Avx512Broadcast(const float* p) { return _mm512_set1_ps(*p); }

// AVX2 and AVX-512 as the FIR loops use them (eight and sixteen lanes).
template <int S>
__attribute__((target("avx2"))) void PeakAvx2(const float* coef, float* sink) {
    QX_PEAK_LOOP(__m256, _mm256_loadu_ps, _mm256_broadcast_ss, _mm256_mul_ps, _mm256_add_ps, _mm256_storeu_ps);
}

template <int S>
__attribute__((target("avx512f"))) void PeakAvx512(const float* coef, float* sink) {
    QX_PEAK_LOOP(__m512, _mm512_loadu_ps, Avx512Broadcast, _mm512_mul_ps, _mm512_add_ps, _mm512_storeu_ps);
}

// One paired step: V vectors of inputs from p, each into both sums. (vlddqu: one load for
// both products; a plain load is folded into each.)
template <int V>
__attribute__((target("avx2"))) inline void PairedStepAvx2(__m256* a, __m256* b, const float* coefA,
                                                           const float* coefB, const float* p) {
    const __m256 ca = _mm256_broadcast_ss(coefA), cb = _mm256_broadcast_ss(coefB);
    _Pragma("GCC unroll 8") for (int k = 0; k < V; ++k) {
        const __m256 x = _mm256_castsi256_ps(_mm256_lddqu_si256(reinterpret_cast<const __m256i*>(p + 8 * k)));
        a[k] = _mm256_add_ps(a[k], _mm256_mul_ps(ca, x));
        b[k] = _mm256_add_ps(b[k], _mm256_mul_ps(cb, x));
    }
}

// The step of the paired AVX2 FIR loops alone, with their loads: two broadcast
// coefficients and V unaligned loads of consecutive inputs, each feeding two sums (2V
// sums in registers), the loads moving one float along the input per step as a filter's
// taps do, blocks of V vectors after one another as a stage's groups; input and
// coefficients stay in the first-level cache. It tells what the machine sustains of
// multiply-adds that need these loads: on a shared host the loads slow down with other
// programs' work, while the peak loop, whose operands are in registers, does not.
template <int V>
__attribute__((target("avx2"))) void PairedLoadsAvx2(const float* coef, float* sink) {
    const float* input = coef + 128;
    __m256 total = _mm256_setzero_ps();
    for (int block = 0; block < kShapeBlocks; ++block) {
        __m256 a[V], b[V];
        for (int k = 0; k < V; ++k) a[k] = b[k] = _mm256_setzero_ps();
        const float* at = input + block * V * 8;
        for (int e = 0; e < kShapeTaps; ++e) PairedStepAvx2<V>(a, b, coef + e, coef + 64 + e, at + e);
        for (int k = 0; k < V; ++k) total = _mm256_add_ps(total, _mm256_add_ps(a[k], b[k]));
    }
    _mm256_storeu_ps(sink, total);
}

// `Up3`'s loops at their best: the paired step above over one call's 160 groups (4 blocks
// of 5 vectors, a phase of 23 taps, the loads walking back along the input), each block's
// sums then scaled and stored interleaved by three with the centre tap's product, as the
// stage's loops store them, and nothing else of a call (no segments, offsets, copies or
// calls). Against the paired-load loop it tells what a three-phase filter's stores cost;
// against the peak, how near `Up3`'s loops can come.
constexpr int kUp3Taps = 23;
constexpr int kUp3Blocks = 4;
__attribute__((target("avx2"))) void Up3BlocksAvx2(const float* coef, float* sink) {
    constexpr int V = 5;
    static float out[kUp3Blocks * V * 24];
    const float* input = coef + 128 + kUp3Taps;
    const __m256 scale = _mm256_set1_ps(3.0f), centre = _mm256_broadcast_ss(coef + 100);
    const __m256i ia = _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5), ib = _mm256_setr_epi32(5, 0, 3, 6, 1, 4, 7, 2),
                  ic = _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7);
    for (int block = 0; block < kUp3Blocks; ++block) {
        __m256 a[V], b[V];
        for (int k = 0; k < V; ++k) a[k] = b[k] = _mm256_setzero_ps();
        const float* at = input + block * V * 8;
        for (int e = 0; e < kUp3Taps; ++e) PairedStepAvx2<V>(a, b, coef + e, coef + 64 + e, at - e);
        for (int k = 0; k < V; ++k) {
            const __m256 c = _mm256_mul_ps(centre, _mm256_loadu_ps(at + 8 * k - kUp3Taps / 2));
            const __m256 pa = _mm256_permutevar8x32_ps(_mm256_mul_ps(a[k], scale), ia);
            const __m256 pb = _mm256_permutevar8x32_ps(_mm256_mul_ps(b[k], scale), ib);
            const __m256 pc = _mm256_permutevar8x32_ps(_mm256_mul_ps(_mm256_add_ps(_mm256_setzero_ps(), c), scale), ic);
            float* o = out + (block * V + k) * 24;
            _mm256_storeu_ps(o, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x92), pc, 0x24));
            _mm256_storeu_ps(o + 8, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x24), pc, 0x49));
            _mm256_storeu_ps(o + 16, _mm256_blend_ps(_mm256_blend_ps(pa, pb, 0x49), pc, 0x92));
        }
    }
    _mm256_storeu_ps(sink, _mm256_loadu_ps(out + 16));
}
#endif

using PeakLoop = void (*)(const float*, float*);
struct PeakCase {
    const char* name;
    PeakLoop loop;
    int sums, lanes;
    const char* feature;
    double steps = kPeakSteps;  // steps of S sums per call
};

// One peak loop as a benchmark: `feature` is the processor feature it needs (null: none).
void RunPeak(benchmark::State& state, const PeakCase& peak) {
#if defined(__GNUC__) && defined(__x86_64__)
    const bool runs = !peak.feature || (std::string(peak.feature) == "avx2" ? __builtin_cpu_supports("avx2")
                                                                           : __builtin_cpu_supports("avx512f"));
    if (!runs) {
        state.SkipWithError(peak.feature);
        return;
    }
#endif
    // Coefficients, then the input of the paired-load loop (Up3's blocks read less of it).
    float coef[128 + kShapeBlocks * 6 * 8 + kShapeTaps + 8];
    for (size_t k = 0; k < std::size(coef); ++k) coef[k] = 1e-4f * static_cast<float>(k % 7 + 1);
    float sink[16];
    for (auto _ : state) {
        peak.loop(coef, sink);
        benchmark::DoNotOptimize(sink);
    }
    const double perIteration = peak.steps * peak.sums * peak.lanes;
    state.counters["MACs"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * perIteration, benchmark::Counter::kIsRate);
    state.counters["macsPerIteration"] = perIteration;
}

constexpr PeakCase kPeaks[] = {
    {"SRCPeak/multiply-add/6", PeakSse2<6>, 6, 4, nullptr},
    {"SRCPeak/multiply-add/8", PeakSse2<8>, 8, 4, nullptr},
    {"SRCPeak/multiply-add/10", PeakSse2<10>, 10, 4, nullptr},
    {"SRCPeak/multiply-add/12", PeakSse2<12>, 12, 4, nullptr},
#if defined(__GNUC__) && defined(__x86_64__)
    {"SRCPeak/multiply-add-avx2/6", PeakAvx2<6>, 6, 8, "avx2"},
    {"SRCPeak/multiply-add-avx2/8", PeakAvx2<8>, 8, 8, "avx2"},
    {"SRCPeak/multiply-add-avx2/10", PeakAvx2<10>, 10, 8, "avx2"},
    {"SRCPeak/multiply-add-avx2/12", PeakAvx2<12>, 12, 8, "avx2"},
    {"SRCPeak/multiply-add-avx512/6", PeakAvx512<6>, 6, 16, "avx512f"},
    {"SRCPeak/multiply-add-avx512/8", PeakAvx512<8>, 8, 16, "avx512f"},
    {"SRCPeak/multiply-add-avx512/10", PeakAvx512<10>, 10, 16, "avx512f"},
    {"SRCPeak/multiply-add-avx512/12", PeakAvx512<12>, 12, 16, "avx512f"},
    {"SRCPeak/paired-loads-avx2/5", PairedLoadsAvx2<5>, 10, 8, "avx2", kShapeBlocks * kShapeTaps},
    {"SRCPeak/paired-loads-avx2/6", PairedLoadsAvx2<6>, 12, 8, "avx2", kShapeBlocks * kShapeTaps},
    {"SRCPeak/up3-blocks-avx2", Up3BlocksAvx2, 10, 8, "avx2", kUp3Blocks * kUp3Taps},
#endif
};

#ifdef QX_BENCH_REFERENCE_LIBS
// soxr's cheapest band-limited setting: the 'low' recipe at the lowest precision it
// accepts (15 bits; our filters stop 46 to 60 dB down, which it does not offer).
void RunSoxr(benchmark::State& state, uint32_t from, uint32_t to, uint32_t block) {
    soxr_quality_spec_t q = soxr_quality_spec(SOXR_LQ, 0);
    q.precision = 15;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_runtime_spec_t rt = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_t s = soxr_create(from, to, 1, &error, &io, &q, &rt);
    if (!s || error) {
        state.SkipWithError(error ? error : "soxr_create");
        return;
    }
    const std::vector<float> input = Noise(block);
    std::vector<float> output(8 * block + 64);
    int64_t produced = 0;
    for (auto _ : state) {
        size_t done = 0, made = 0;
        soxr_process(s, input.data(), block, &done, output.data(), output.size(), &made);
        produced += static_cast<int64_t>(made);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetItemsProcessed(produced);
    state.counters["outputs"] = state.iterations() ? static_cast<double>(produced) / state.iterations() : 0.0;
    soxr_delete(s);
}

// speexdsp quality 2: 32-tap Kaiser filters, about 60 dB of stop band.
void RunSpeex(benchmark::State& state, uint32_t from, uint32_t to, uint32_t block) {
    int error = 0;
    SpeexResamplerState* s = speex_resampler_init(1, from, to, 2, &error);
    if (!s) {
        state.SkipWithError("speex_resampler_init");
        return;
    }
    speex_resampler_skip_zeros(s);
    const std::vector<float> input = Noise(block);
    std::vector<float> output(8 * block + 64);
    int64_t produced = 0;
    for (auto _ : state) {
        spx_uint32_t inLen = block, outLen = static_cast<spx_uint32_t>(output.size());
        speex_resampler_process_float(s, 0, input.data(), &inLen, output.data(), &outLen);
        produced += outLen;
        benchmark::DoNotOptimize(output.data());
    }
    state.SetItemsProcessed(produced);
    state.counters["outputs"] = state.iterations() ? static_cast<double>(produced) / state.iterations() : 0.0;
    speex_resampler_destroy(s);
}

// libsamplerate's fastest band-limited converter (its other settings are a sample-and-
// hold and a linear interpolator, far below our filters).
void RunLibsamplerate(benchmark::State& state, uint32_t from, uint32_t to, uint32_t block) {
    int error = 0;
    SRC_STATE* s = src_new(SRC_SINC_FASTEST, 1, &error);
    if (!s) {
        state.SkipWithError("src_new");
        return;
    }
    const std::vector<float> input = Noise(block);
    std::vector<float> output(8 * block + 64);
    int64_t produced = 0;
    for (auto _ : state) {
        SRC_DATA d{};
        d.data_in = input.data();
        d.data_out = output.data();
        d.input_frames = block;
        d.output_frames = static_cast<long>(output.size());
        d.src_ratio = static_cast<double>(to) / from;
        src_process(s, &d);
        produced += d.output_frames_gen;
        benchmark::DoNotOptimize(output.data());
    }
    state.SetItemsProcessed(produced);
    state.counters["outputs"] = state.iterations() ? static_cast<double>(produced) / state.iterations() : 0.0;
    src_delete(s);
}
#endif

// The shortest time of the repetitions: on a shared host the run least slowed down by
// other programs (the report takes it for every program alike).
double Shortest(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }

benchmark::internal::Benchmark* WithShortest(benchmark::internal::Benchmark* b) {
    return b->ComputeStatistics("min", Shortest);
}

int Register() {
    for (const Pair& p : kPairs) {
        for (bool reverse : {false, true}) {
            const uint32_t from = reverse ? p.out : p.in;
            const uint32_t to = reverse ? p.in : p.out;
            qx::SRCInternal probe;
            uint32_t planned = 0;
            probe.Init(p.in, p.out, p.block, &planned, 1);
            const uint32_t inBlock = reverse ? planned : p.block;
            WithShortest(benchmark::RegisterBenchmark(Name("ours", from, to, reverse).c_str(),
                                         [p, reverse](benchmark::State& s) { RunOurs(s, p, reverse); }));
#ifdef QX_BENCH_REFERENCE_LIBS
            WithShortest(benchmark::RegisterBenchmark(Name("soxr", from, to, reverse).c_str(),
                                         [=](benchmark::State& s) { RunSoxr(s, from, to, inBlock); }));
            WithShortest(benchmark::RegisterBenchmark(Name("speexdsp", from, to, reverse).c_str(),
                                         [=](benchmark::State& s) { RunSpeex(s, from, to, inBlock); }));
            WithShortest(benchmark::RegisterBenchmark(Name("libsamplerate", from, to, reverse).c_str(),
                                         [=](benchmark::State& s) { RunLibsamplerate(s, from, to, inBlock); }));
#else
            (void)inBlock;
#endif
        }
    }
    // Every kind on every path this processor runs and it has loops for.
    for (const StageCase& c : kStages) {
        for (int p = qx::kFirPathCount - 1; p >= 0; --p) {
            const auto path = static_cast<qx::FirPath>(p);
            if (!qx::MultirateFir::PathRuns(path) || (!c.fir && !PolyLoops(path))) continue;
            WithShortest(benchmark::RegisterBenchmark((std::string("SRCStage/") + c.name + "/" + kPathNames[p]).c_str(),
                                         [c, path](benchmark::State& s) { RunStage(s, c, path); }));
            if (c.fir)
                WithShortest(benchmark::RegisterBenchmark((std::string("SRCLoops/") + c.name + "/" + kPathNames[p]).c_str(),
                                             [c, path](benchmark::State& s) { RunLoops(s, c, path); }));
        }
    }
    for (const PeakCase& peak : kPeaks)
        WithShortest(benchmark::RegisterBenchmark(peak.name, [&peak](benchmark::State& s) { RunPeak(s, peak); }));
    return 0;
}

const int kRegistered = Register();

}  // namespace
