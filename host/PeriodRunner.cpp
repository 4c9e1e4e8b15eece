#include "host/PeriodRunner.h"

#include <windows.h>

#include <algorithm>

namespace qx::host {

namespace {
// Status 1 means the processor wrote nothing: a plug-in then passes the period through,
// channel for channel (extra output channels silent).
void PassThrough(const float* in, uint32_t inChannels, float* out, uint32_t outChannels, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < outChannels; ++c) out[i * outChannels + c] = c < inChannels ? in[i * inChannels + c] : 0.0f;
}

void ApplyDueChanges(ProcessorSession& session, const std::vector<TimedChange>& changes, double now, size_t& next,
                     RunStats& stats) {
    for (; next < changes.size() && changes[next].seconds <= now; ++next) {
        stats.lastChangeStatus = session.Change(changes[next].setting);
        ++stats.changesApplied;
    }
}
}  // namespace

RunStats RunPeriods(ProcessorSession& session, const WavAudio& input, const RunShape& shape,
                    const std::vector<TimedChange>& changesIn, WavAudio& output) {
    RunStats stats;
    const uint32_t inCh = input.channels, outCh = shape.outChannels, period = shape.periodFrames;
    const size_t frames = input.Frames();
    output.rate = input.rate;
    output.channels = outCh;
    output.samples.assign(frames * outCh, 0.0);

    std::vector<TimedChange> changes = changesIn;
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TimedChange& a, const TimedChange& b) { return a.seconds < b.seconds; });
    size_t nextChange = 0;

    std::vector<float> in(size_t(period) * inCh), out(size_t(period) * outCh);
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    const double periodSeconds = double(period) / input.rate;

    for (size_t start = 0; start < frames; start += period) {
        ApplyDueChanges(session, changes, double(start) / input.rate, nextChange, stats);
        const size_t valid = std::min<size_t>(period, frames - start);
        std::fill(in.begin(), in.end(), 0.0f);
        for (size_t i = 0; i < valid * inCh; ++i) in[i] = float(input.samples[start * inCh + i]);
        std::fill(out.begin(), out.end(), 0.0f);

        QueryPerformanceCounter(&t0);
        const HRESULT status = session.Process(in.data(), out.data(), period);
        QueryPerformanceCounter(&t1);
        LONGLONG ticks = t1.QuadPart - t0.QuadPart;
        if (status == 1) PassThrough(in.data(), inCh, out.data(), outCh, period);
        if (shape.monitor) {
            QueryPerformanceCounter(&t0);
            session.ProcessMonitor(out.data(), period);
            QueryPerformanceCounter(&t1);
            ticks += t1.QuadPart - t0.QuadPart;
        }
        stats.costs.push_back(double(ticks) / double(frequency.QuadPart) / periodSeconds);

        ++stats.periods;
        if (status == 1) {
            ++stats.bypassed;
            // Straight from the decoded input, so a bypassed stream stays bit-exact.
            for (size_t i = 0; i < valid; ++i)
                for (uint32_t c = 0; c < outCh; ++c)
                    output.samples[(start + i) * outCh + c] = c < inCh ? input.samples[(start + i) * inCh + c] : 0.0;
            continue;
        }
        if (FAILED(status)) {
            if (stats.failed++ == 0) stats.firstFailure = status;
        } else {
            ++stats.processed;
        }
        for (size_t i = 0; i < valid * outCh; ++i) output.samples[start * outCh + i] = out[i];
    }
    return stats;
}

}  // namespace qx::host
