#include "bench/win/BenchHarness.h"

#include <cstdio>

namespace qx::bench {

namespace {
constexpr int kBatch = 100;
constexpr double kMinimumSeconds = 1.0;

double Seconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return double(now.QuadPart) / double(freq.QuadPart);
}

// CPU time of this thread: on a loaded machine wall time also counts the waits.
double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
}
}  // namespace

ComPtr<IPropertyStore> NewMemoryStore() {
    ComPtr<IPropertyStore> store;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, store.PutVoid());
    return store;
}

std::vector<float> TestSignal(size_t samples) {
    std::vector<float> signal(samples);
    for (size_t i = 0; i < samples; ++i) signal[i] = float(i % 97) / 97.0f - 0.5f;
    return signal;
}

void ReportPeriodCost(const char* name, uint32_t rate, uint32_t frames, const std::function<void()>& period) {
    for (int i = 0; i < kBatch; ++i) period();  // warm-up
    const double start = Seconds(), startCpu = ThreadSeconds();
    long periods = 0;
    do {
        for (int i = 0; i < kBatch; ++i) period();
        periods += kBatch;
    } while (Seconds() - start < kMinimumSeconds);
    const double wall = (Seconds() - start) / periods;
    const double cpu = (ThreadSeconds() - startCpu) / periods;
    const double realTime = double(frames) / rate;
    std::printf("%-62s per period of %6.2f ms: wall %9.2f us (%.5f of real time), cpu %9.2f us (%.5f)\n", name,
                realTime * 1e3, wall * 1e6, wall / realTime, cpu * 1e6, cpu / realTime);
    std::fflush(stdout);
}

}  // namespace qx::bench
