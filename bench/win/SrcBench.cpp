// Throughput of the sample-rate converter in the Windows build (run under Wine), so that
// the code the DLL ships is what is measured: the conversions of the native benchmark
// (bench/SRCInternalBench.cpp) per output sample, and each stage kind on every path of
// FIR loops this processor runs. Thread CPU time, the shortest of five runs of at least
// 0.3 s each (as the native report takes it: on a shared host, the run least slowed
// down by other programs). Not a test: it prints figures and always succeeds.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "resample/ConversionStage.h"
#include "resample/MultirateFir.h"
#include "resample/SRCInternal.h"
#include "bench/StageCases.h"

namespace {
using qx::bench::StageCase;
using qx::bench::kStages;

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
}

double WallSeconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return double(now.QuadPart) / double(freq.QuadPart);
}

// Calls of `call` that take about `seconds` of wall time (at least one).
long CallsFor(const std::function<void()>& call, double seconds) {
    long calls = 0;
    const double start = WallSeconds();
    do {
        call();
        ++calls;
    } while (WallSeconds() - start < seconds);
    return calls;
}

// Shortest CPU seconds per call of `call` over the runs. Under Wine the thread's CPU time
// is read from the process file system (a few microseconds of system time, counted in
// the thread's own time), so it is read once per batch of calls that lasts about 5 ms,
// which keeps its share below 1%; the performance counter that sizes the batch costs
// next to nothing.
double SecondsPerCall(const std::function<void()>& call) {
    constexpr int kRuns = 5;
    CallsFor(call, 0.02);  // warm-up
    const long batch = CallsFor(call, 0.005);
    std::vector<double> runs;
    for (int r = 0; r < kRuns; ++r) {
        const double wallStart = WallSeconds(), cpuStart = ThreadSeconds();
        long calls = 0;
        do {
            for (long i = 0; i < batch; ++i) call();
            calls += batch;
        } while (ThreadSeconds() - cpuStart < 0.3 && WallSeconds() - wallStart < 10.0);
        runs.push_back((ThreadSeconds() - cpuStart) / calls);
    }
    return *std::min_element(runs.begin(), runs.end());
}

std::vector<float> Noise(size_t n) {
    std::vector<float> v(n);
    uint32_t seed = 12345;
    for (auto& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed)) / 4294967296.0f;
    }
    return v;
}

// ns per output sample of one channel converted block after block, a fresh input block
// copied into the channel buffer before each call (as in the native benchmark).
double NsPerOutput(uint32_t in, uint32_t out, uint32_t block, bool reverse) {
    qx::SRCInternal src;
    uint32_t planned = 0;
    src.Init(in, out, block, &planned, 1);
    const uint32_t n = reverse ? planned : block;
    const uint32_t m = reverse ? block : planned;
    const std::vector<float> input = Noise(n);
    std::vector<float> buf(2 * (block + planned));
    const uint32_t direction = reverse ? qx::SRCInternal::Reverse : qx::SRCInternal::Forward;
    const double seconds = SecondsPerCall([&] {
        std::copy(input.begin(), input.end(), buf.begin());
        src.Process(buf.data(), 0, n, direction);
    });
    return seconds * 1e9 / m;
}

struct Pair {
    uint32_t in, out, block;
};
constexpr Pair kPairs[] = {
    {48000, 44100, 480}, {44100, 48000, 441}, {96000, 48000, 960}, {8000, 48000, 80}, {192000, 48000, 1920},
};

constexpr const char* kPathNames[qx::kFirPathCount] = {"scalar", "SSE2", "AVX2", "AVX-512"};

}  // namespace

int main() {
    std::printf("| Conversion (block) | ns per output | M outputs/s |\n|---|---|---|\n");
    for (const Pair& p : kPairs) {
        for (bool reverse : {false, true}) {
            qx::SRCInternal probe;
            uint32_t planned = 0;
            probe.Init(p.in, p.out, p.block, &planned, 1);
            const double ns = NsPerOutput(p.in, p.out, p.block, reverse);
            std::printf("| %u->%u %s (%u) | %.2f | %.0f |\n", reverse ? p.out : p.in, reverse ? p.in : p.out,
                        reverse ? "reverse" : "forward", reverse ? planned : p.block, ns, 1e3 / ns);
            std::fflush(stdout);
        }
    }
    std::printf("\n| Stage | Loops | Multiply-adds per output | M outputs/s | G multiply-adds/s |\n"
                "|---|---|---|---|---|\n");
    for (const StageCase& c : kStages) {
        qx::SRCInternal probe;
        probe.Init(c.in, c.out, c.block, nullptr, 1);
        const qx::StageKind kind = (c.reverse ? probe.ReverseStage(0) : probe.ForwardStage(0)).Kind();
        const double macs = qx::ConversionStage::MultiplyAddsPerOutput(kind);
        for (int path = qx::kFirPathCount - 1; path >= 0; --path) {
            if (!qx::MultirateFir::PathRuns(static_cast<qx::FirPath>(path))) continue;
            if (!c.fir && !qx::bench::PolyLoops(static_cast<qx::FirPath>(path))) continue;
            qx::MultirateFir::LimitPath(static_cast<qx::FirPath>(path));
            const double ns = NsPerOutput(c.in, c.out, c.block, c.reverse);
            std::printf("| %s | %s | %.1f | %.0f | %.2f |\n", c.name, kPathNames[path], macs, 1e3 / ns, macs / ns);
            std::fflush(stdout);
        }
        qx::MultirateFir::LimitPath(qx::FirPath::Avx512);
    }
    return 0;
}
