// Per-frame cost of the channel mixers on one 10-ms period at 48000 frames per second.
// Run: cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//      cmake --build build/bench --target qx_bench
//      build/bench/bench/qx_bench --benchmark_filter='Mix|Copy' 
#include <benchmark/benchmark.h>

#include <vector>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#include "processors/ChannelMixer.h"

namespace {

constexpr uint32_t kFrames = 480;

// The mixers run in place, so each iteration works on the previous one's output. Gains
// below 1 would drive the samples into denormals after a few hundred iterations and
// measure the processor's denormal assist instead of the mixer: flush them to zero.
void FlushDenormals() {
#if defined(__SSE__) || defined(_M_X64)
    _mm_setcsr(_mm_getcsr() | 0x8040);  // FTZ and DAZ
#endif
}

struct Period {
    std::vector<float> data[8];
    float* table[8];
    Period() {
        for (uint32_t k = 0; k < 8; ++k) {
            data[k].resize(kFrames);
            for (uint32_t n = 0; n < kFrames; ++n) data[k][n] = 0.001f * float((n * 7 + k * 13) % 200) - 0.1f;
            table[k] = data[k].data();
        }
    }
};

void PerFrame(benchmark::State& state) {
    state.counters["per_frame"] =
        benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void MixDown(benchmark::State& state, uint32_t from, uint32_t to) {
    FlushDenormals();
    Period p;
    for (auto _ : state) {
        qx::MixDown(p.table, from, to, kFrames);
        benchmark::ClobberMemory();
    }
    PerFrame(state);
}

void MixUp(benchmark::State& state, uint32_t from, uint32_t to) {
    FlushDenormals();
    Period p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qx::MixUp(p.table, from, to, kFrames));
        benchmark::ClobberMemory();
    }
    PerFrame(state);
}

// A plain copy of two channels, as a yardstick for the memory traffic of the cheapest pair.
void CopyTwoChannels(benchmark::State& state) {
    Period p;
    for (auto _ : state) {
        for (uint32_t n = 0; n < kFrames; ++n) p.table[2][n] = p.table[0][n];
        for (uint32_t n = 0; n < kFrames; ++n) p.table[3][n] = p.table[1][n];
        benchmark::ClobberMemory();
    }
    PerFrame(state);
}

}  // namespace

BENCHMARK_CAPTURE(MixDown, 4to2, 4, 2);
BENCHMARK_CAPTURE(MixDown, 6to2, 6, 2);
BENCHMARK_CAPTURE(MixDown, 6to4, 6, 4);
BENCHMARK_CAPTURE(MixDown, 8to2, 8, 2);
BENCHMARK_CAPTURE(MixDown, 8to4, 8, 4);
BENCHMARK_CAPTURE(MixDown, 8to6, 8, 6);
BENCHMARK_CAPTURE(MixDown, 2to6, 2, 6);
BENCHMARK_CAPTURE(MixDown, 4to8, 4, 8);
BENCHMARK_CAPTURE(MixUp, 2to4, 2, 4);
BENCHMARK_CAPTURE(MixUp, 2to6, 2, 6);
BENCHMARK_CAPTURE(MixUp, 2to8, 2, 8);
BENCHMARK_CAPTURE(MixUp, 4to6, 4, 6);
BENCHMARK_CAPTURE(MixUp, 4to8, 4, 8);
BENCHMARK_CAPTURE(MixUp, 6to8, 6, 8);
BENCHMARK(CopyTwoChannels);
