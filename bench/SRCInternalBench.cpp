// Throughput of the sample-rate converter per output sample: whole chains in both
// directions, each stage kind alone, and, in the same run, the same conversions through
// three established resampling libraries at the setting nearest our filters' quality.
// bench/src_report.py turns the JSON output into the tables of docs/performance.md.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cstdint>
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

// What one core sustains of independent single-precision multiply-adds with the
// instruction set the converter is built for (SSE2): six vectors of accumulators (enough
// independent sums to hide the add latency), each step adding a broadcast coefficient
// times six vectors held in registers. Written with intrinsics so that the compiler
// cannot reshape the loop.
void RunPeak(benchmark::State& state) {
    constexpr int kSteps = 4096;
    float coef[64];
    for (int k = 0; k < 64; ++k) coef[k] = 1e-4f * static_cast<float>(k % 7 + 1);
    const __m128 y0 = _mm_loadu_ps(coef), y1 = _mm_loadu_ps(coef + 4), y2 = _mm_loadu_ps(coef + 8),
                 y3 = _mm_loadu_ps(coef + 12), y4 = _mm_loadu_ps(coef + 16), y5 = _mm_loadu_ps(coef + 20);
    for (auto _ : state) {
        __m128 a0 = _mm_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0;
        for (int k = 0; k < kSteps; ++k) {
            const __m128 c = _mm_set1_ps(coef[k & 63]);
            a0 = _mm_add_ps(a0, _mm_mul_ps(c, y0));
            a1 = _mm_add_ps(a1, _mm_mul_ps(c, y1));
            a2 = _mm_add_ps(a2, _mm_mul_ps(c, y2));
            a3 = _mm_add_ps(a3, _mm_mul_ps(c, y3));
            a4 = _mm_add_ps(a4, _mm_mul_ps(c, y4));
            a5 = _mm_add_ps(a5, _mm_mul_ps(c, y5));
        }
        float sink[24];
        _mm_storeu_ps(sink, _mm_add_ps(a0, a1));
        _mm_storeu_ps(sink + 4, _mm_add_ps(a2, a3));
        _mm_storeu_ps(sink + 8, a4);
        _mm_storeu_ps(sink + 12, a5);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["MACs"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSteps * 24, benchmark::Counter::kIsRate);
    state.counters["macsPerIteration"] = kSteps * 24;
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same with AVX2 (eight lanes per vector, no fused multiply-add), the instruction
// set of the FIR loops on processors that have it.
__attribute__((target("avx2"))) void PeakAvx2Steps(int steps, const float* coef, float* sink) {
    // Six independent sums hide the add latency; distinct lanes keep the products vector.
    const __m256 y0 = _mm256_loadu_ps(coef), y1 = _mm256_loadu_ps(coef + 8), y2 = _mm256_loadu_ps(coef + 16),
                 y3 = _mm256_loadu_ps(coef + 24), y4 = _mm256_loadu_ps(coef + 32), y5 = _mm256_loadu_ps(coef + 40);
    __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0;
    for (int k = 0; k < steps; ++k) {
        const __m256 c = _mm256_broadcast_ss(coef + (k & 63));
        a0 = _mm256_add_ps(a0, _mm256_mul_ps(c, y0));
        a1 = _mm256_add_ps(a1, _mm256_mul_ps(c, y1));
        a2 = _mm256_add_ps(a2, _mm256_mul_ps(c, y2));
        a3 = _mm256_add_ps(a3, _mm256_mul_ps(c, y3));
        a4 = _mm256_add_ps(a4, _mm256_mul_ps(c, y4));
        a5 = _mm256_add_ps(a5, _mm256_mul_ps(c, y5));
    }
    _mm256_storeu_ps(sink, a0);
    _mm256_storeu_ps(sink + 8, a1);
    _mm256_storeu_ps(sink + 16, a2);
    _mm256_storeu_ps(sink + 24, a3);
    _mm256_storeu_ps(sink + 32, a4);
    _mm256_storeu_ps(sink + 40, a5);
}

void RunPeakAvx2(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx2")) {
        state.SkipWithError("no AVX2");
        return;
    }
    constexpr int kSteps = 4096;
    float coef[64];
    for (int k = 0; k < 64; ++k) coef[k] = 1e-4f * static_cast<float>(k % 7 + 1);
    float sink[48];
    for (auto _ : state) {
        PeakAvx2Steps(kSteps, coef, sink);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["MACs"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSteps * 48, benchmark::Counter::kIsRate);
    state.counters["macsPerIteration"] = kSteps * 48;
}

// The same with AVX-512 (sixteen lanes per vector, no fused multiply-add).
__attribute__((target("avx512f"))) void PeakAvx512Steps(int steps, const float* coef, float* sink) {
    const __m512 y0 = _mm512_loadu_ps(coef), y1 = _mm512_loadu_ps(coef + 16), y2 = _mm512_loadu_ps(coef + 32),
                 y3 = _mm512_loadu_ps(coef + 48), y4 = _mm512_loadu_ps(coef + 8), y5 = _mm512_loadu_ps(coef + 24);
    __m512 a0 = _mm512_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0;
    for (int k = 0; k < steps; ++k) {
        const __m512 c = _mm512_set1_ps(coef[k & 63]);
        a0 = _mm512_add_ps(a0, _mm512_mul_ps(c, y0));
        a1 = _mm512_add_ps(a1, _mm512_mul_ps(c, y1));
        a2 = _mm512_add_ps(a2, _mm512_mul_ps(c, y2));
        a3 = _mm512_add_ps(a3, _mm512_mul_ps(c, y3));
        a4 = _mm512_add_ps(a4, _mm512_mul_ps(c, y4));
        a5 = _mm512_add_ps(a5, _mm512_mul_ps(c, y5));
    }
    _mm512_storeu_ps(sink, _mm512_add_ps(_mm512_add_ps(a0, a1), _mm512_add_ps(a2, a3)));
    _mm512_storeu_ps(sink + 16, _mm512_add_ps(a4, a5));
}

void RunPeakAvx512(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx512f")) {
        state.SkipWithError("no AVX-512");
        return;
    }
    constexpr int kSteps = 4096;
    float coef[64];
    for (int k = 0; k < 64; ++k) coef[k] = 1e-4f * static_cast<float>(k % 7 + 1);
    float sink[32];
    for (auto _ : state) {
        PeakAvx512Steps(kSteps, coef, sink);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["MACs"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSteps * 96, benchmark::Counter::kIsRate);
    state.counters["macsPerIteration"] = kSteps * 96;
}
#endif

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
        }
    }
    WithShortest(benchmark::RegisterBenchmark("SRCPeak/multiply-add", RunPeak));
#if defined(__GNUC__) && defined(__x86_64__)
    WithShortest(benchmark::RegisterBenchmark("SRCPeak/multiply-add-avx2", RunPeakAvx2));
    WithShortest(benchmark::RegisterBenchmark("SRCPeak/multiply-add-avx512", RunPeakAvx512));
#endif
    return 0;
}

const int kRegistered = Register();

}  // namespace
