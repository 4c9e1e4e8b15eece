#include "host/Compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/ChainSession.h"
#include "host/PeriodRunner.h"
#include "host/PlatformPlot.h"
#include "host/SpectrumPlot.h"
#include "host/TestSignal.h"

namespace qx::host {

namespace {
constexpr double kLowHz = 20, kHighHz = 20000;

int Fail(const std::string& message) {
    std::fprintf(stderr, "qxhost: error: %s\n", message.c_str());
    return 1;
}

// The input through a fresh processor with the given effects and settings.
bool RunSet(const HostOptions& o, const WavAudio& input, WavAudio& output, std::string& error) {
    const uint32_t period = o.PeriodFrames(input.rate);
    ChainSession chain;
    if (!chain.Start(o, input.rate, input.channels, period, error)) return false;
    output.format = input.format;
    const RunStats stats = RunPeriods(chain.Session(), input, {input.channels, period, o.processor == ProcessorKind::Global},
                                      {}, output);
    if (stats.failed) return error = std::to_string(stats.failed) + " periods failed", false;
    return true;
}

// The first sample where b differs from a, as frame and channel; false when identical.
bool FirstDifference(const WavAudio& a, const WavAudio& b, size_t& frame, uint32_t& channel) {
    const size_t n = std::min(a.samples.size(), b.samples.size());
    for (size_t i = 0; i < n; ++i)
        if (a.samples[i] != b.samples[i] && !(a.samples[i] != a.samples[i] && b.samples[i] != b.samples[i])) {
            frame = i / a.channels;
            channel = uint32_t(i % a.channels);
            return true;
        }
    if (a.samples.size() == b.samples.size()) return false;
    frame = n / a.channels;
    channel = 0;
    return true;
}

int Repeat(const HostOptions& o, const WavAudio& input) {
    WavAudio first;
    std::string error;
    if (!RunSet(o, input, first, error)) return Fail(error);
    for (uint32_t run = 2; run <= o.repeat; ++run) {
        WavAudio again;
        if (!RunSet(o, input, again, error)) return Fail(error);
        size_t frame = 0;
        uint32_t channel = 0;
        if (FirstDifference(first, again, frame, channel)) {
            const size_t i = frame * first.channels + channel;
            std::printf("repeat: run %u differs from run 1 first at frame %zu (%.6f s), channel %u: %.9g against %.9g\n",
                        run, frame, double(frame) / input.rate, channel + 1,
                        i < first.samples.size() ? first.samples[i] : 0.0, i < again.samples.size() ? again.samples[i] : 0.0);
            return 1;
        }
    }
    std::printf("repeat: %u runs from a fresh lock, outputs bit-identical (%zu frames, %u channels)\n", o.repeat,
                first.Frames(), first.channels);
    return 0;
}

// Prints the largest spectral and sample differences of b against a; plots b - a.
int Report(const HostOptions& o, const WavAudio& a, const WavAudio& b, const std::string& what) {
    if (a.rate != b.rate || a.channels != b.channels)
        return Fail("the two signals differ in rate or channel count (" + std::to_string(a.rate) + " Hz, " +
                    std::to_string(a.channels) + " ch against " + std::to_string(b.rate) + " Hz, " +
                    std::to_string(b.channels) + " ch)");
    const Spectrum sa = AverageSpectrum(a.samples, a.channels, a.rate), sb = AverageSpectrum(b.samples, b.channels, b.rate);
    Spectrum diff = sa;
    double worst = 0, worstHz = 0;
    const double top = std::min(kHighHz, a.rate / 2.0);
    for (size_t k = 0; k < diff.levelDb.size(); ++k) {
        diff.levelDb[k] = sb.levelDb[k] - sa.levelDb[k];
        const double hz = k * diff.binHz;
        // Only where either signal carries something: silence against silence says nothing.
        const bool heard = std::max(sa.levelDb[k], sb.levelDb[k]) > -120;
        if (hz >= kLowHz && hz <= top && heard && std::fabs(diff.levelDb[k]) > std::fabs(worst)) {
            worst = diff.levelDb[k];
            worstHz = hz;
        }
    }
    std::printf("compare: %s, %u Hz, %u channels\n", what.c_str(), a.rate, a.channels);
    std::printf("largest spectral difference: %+.2f dB at %.0f Hz (second against first)\n", worst, worstHz);
    double largest = 0;
    size_t at = 0;
    for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i)
        if (std::fabs(b.samples[i] - a.samples[i]) > largest) largest = std::fabs(b.samples[i] - a.samples[i]), at = i;
    std::printf("largest sample difference: %.6g (%.1f dBFS) at frame %zu, channel %zu\n", largest,
                20 * std::log10(largest + 1e-30), at / a.channels, at % a.channels + 1);
    if (!o.pngPath.empty()) {
        std::string error;
        const PlatformPlot plot;
        if (plot.Write(o.pngPath, PlotResponses({diff}, {"SECOND - FIRST"}, top, "DIFFERENCE SPECTRUM", plot.Text()), error))
            std::printf("difference plot: %s\n", o.pngPath.c_str());
        else
            std::fprintf(stderr, "qxhost: warning: %s\n", error.c_str());
    }
    return 0;
}
}  // namespace

int RunCompare(const HostOptions& o) {
    std::string error;
    WavAudio input;
    if (o.inputPath.empty()) input = MakeTestSignal({o.rate, o.channels, o.seconds});
    else if (!ReadWavFile(o.inputPath, input, error)) return Fail(error);
    if (!o.againstPath.empty()) {
        WavAudio other;
        if (!ReadWavFile(o.againstPath, other, error)) return Fail(error);
        return Report(o, input, other, o.inputPath + " against " + o.againstPath);
    }
    if (o.repeat) return Repeat(o, input);
    if (!o.secondSet) return Fail("compare needs --against FILE, --vs and a second set, or --repeat N");
    WavAudio a, b;
    HostOptions second = o;
    second.enabled = o.enabledB;
    second.settings = o.settingsB;
    if (!RunSet(o, input, a, error) || !RunSet(second, input, b, error)) return Fail(error);
    return Report(o, a, b, "first set against second set");
}

}  // namespace qx::host
