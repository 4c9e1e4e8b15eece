#include "host/Measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/ChainSession.h"
#include "host/EqPreset.h"
#include "host/PeriodRunner.h"
#include "host/PlatformPlot.h"
#include "host/SpectrumPlot.h"
#include "host/SweepAnalysis.h"

namespace qx::host {

namespace {
constexpr double kSweepSeconds = 2;
// The frequencies of the printed table: octave centres, with both ends of the range.
constexpr double kTableHz[] = {20, 31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 20000};

std::vector<double> Channel(const WavAudio& audio, uint32_t c) {
    std::vector<double> out(audio.Frames());
    for (size_t i = 0; i < out.size(); ++i) out[i] = audio.samples[i * audio.channels + c];
    return out;
}

// With a preset given, how far each channel's response lies from the preset's target, on
// a grid of twelve points per octave.
void PrintAgainstPreset(const std::string& path, const std::vector<SweepResult>& results) {
    EqPreset preset;
    std::string error;
    if (!ReadEqPresetFile(path, preset, error)) return;
    for (size_t c = 0; c < results.size(); ++c) {
        double sum = 0, largest = 0;
        int points = 0;
        for (double hz = results[c].lowHz; hz <= results[c].highHz; hz *= std::pow(2.0, 1.0 / 12), ++points) {
            const double d = results[c].ResponseDb(hz) - preset.TargetDb(hz);
            sum += d * d;
            largest = std::max(largest, std::fabs(d));
        }
        std::printf("channel %zu against the preset's target: %.2f dB RMS, %.2f dB largest (%g Hz to %g Hz)\n", c + 1,
                    std::sqrt(sum / std::max(1, points)), largest, results[c].lowHz, results[c].highHz);
    }
}

void PrintResults(const std::vector<SweepResult>& results) {
    std::printf("response (dB):");
    for (double hz : kTableHz)
        if (hz <= results[0].highHz) std::printf(hz < 1000 ? " %6g" : " %5gk", hz < 1000 ? hz : hz / 1000);
    std::printf("\n");
    for (size_t c = 0; c < results.size(); ++c) {
        std::printf("  channel %zu:  ", c + 1);
        for (double hz : kTableHz)
            if (hz <= results[c].highHz) std::printf(" %+6.1f", results[c].ResponseDb(hz));
        std::printf("\n");
    }
    std::printf("harmonics (dB relative to the fundamental):\n");
    for (size_t c = 0; c < results.size(); ++c) {
        std::printf("  channel %zu:", c + 1);
        for (int k = 0; k < kHarmonics; ++k) std::printf("  H%d %7.1f", k + 2, std::max(-200.0, results[c].harmonicDb[k]));
        std::printf("\n");
    }
    std::printf("latency (frames):");
    for (const SweepResult& r : results) std::printf(" %ld", r.latency);
    std::printf("\n");
}
}  // namespace

int RunMeasure(const HostOptions& o) {
    const SweepPlan plan = PlanSweep(o.rate, kSweepSeconds, o.levelDb);
    const std::vector<double> sweep = MakeSweep(plan);
    WavAudio input;
    input.rate = o.rate;
    input.channels = o.channels;
    input.format = SampleFormat::Float32;
    input.samples.resize(sweep.size() * o.channels);
    for (size_t i = 0; i < sweep.size(); ++i)
        for (uint32_t c = 0; c < o.channels; ++c) input.samples[i * o.channels + c] = sweep[i];

    const uint32_t period = o.PeriodFrames(o.rate);
    ChainSession chain;
    std::string error;
    if (!chain.Start(o, o.rate, o.channels, period, error)) {
        std::fprintf(stderr, "qxhost: error: %s\n", error.c_str());
        return 1;
    }
    WavAudio output;
    const RunStats stats = RunPeriods(chain.Session(), input, {o.channels, period, o.processor == ProcessorKind::Global},
                                      {}, output);
    std::printf("measure: %s, %u Hz, %u channels, sweep %g Hz to %g Hz over %g s at %g dBFS\n", ProcessorName(o.processor),
                o.rate, o.channels, plan.startHz, plan.endHz, plan.seconds, o.levelDb);
    std::vector<SweepResult> results;
    for (uint32_t c = 0; c < o.channels; ++c) results.push_back(AnalyseSweep(plan, Channel(output, c)));
    PrintResults(results);
    if (!o.eqPresetPath.empty()) PrintAgainstPreset(o.eqPresetPath, results);
    if (stats.failed) std::printf("periods failed: %zu\n", stats.failed);
    if (!o.pngPath.empty()) {
        std::vector<Spectrum> curves;
        for (const SweepResult& r : results) curves.push_back(r.response);
        const std::string title = std::string(ProcessorName(o.processor)) + "  RESPONSE  " + std::to_string(o.rate) + " HZ";
        const PlatformPlot plot;
        if (plot.Write(o.pngPath, PlotResponses(curves, {}, results[0].highHz, title, plot.Text()), error))
            std::printf("response plot: %s\n", o.pngPath.c_str());
        else
            std::fprintf(stderr, "qxhost: warning: %s\n", error.c_str());
    }
    return stats.failed ? 1 : 0;
}

}  // namespace qx::host
