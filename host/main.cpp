// qxhost: drives an effect processor the way the audio engine's plug-in does and reports
// what ran. See --help.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "host/Compare.h"
#include "host/ComponentProbe.h"
#include "host/EqImport.h"
#include "host/HostOptions.h"
#include "host/InProcessServer.h"
#include "host/Measure.h"
#include "host/ModuleWatch.h"
#include "host/OutputLevels.h"
#include "host/Stress.h"
#include "host/PeriodRunner.h"
#include "host/PlatformPlot.h"
#include "host/ProcessorSession.h"
#include "host/Spectrum.h"
#include "host/SpectrumPlot.h"
#include "host/TestSignal.h"
#include "host/WavFile.h"

using namespace qx::host;

namespace {
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotUnload = 3;

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "qxhost: error: %s\n", message.c_str());
    return code;
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Join(const std::vector<std::string>& items, const char* none = "none") {
    std::string s;
    for (const std::string& item : items) s += (s.empty() ? "" : ", ") + item;
    return s.empty() ? none : s;
}

std::string Describe(const WavAudio& a) {
    char text[96];
    std::snprintf(text, sizeof text, "%u Hz, %u channels, %s, %.2f s", a.rate, a.channels, FormatName(a.format),
                  double(a.Frames()) / a.rate);
    return text;
}

bool LoadInput(const HostOptions& o, WavAudio& audio, std::string& description, std::string& error) {
    if (o.inputPath.empty()) {
        audio = MakeTestSignal({o.rate, o.channels, o.seconds});
        description = "synthesised test signal (tones, sweep, noise)";
        return true;
    }
    description = o.inputPath;
    std::string warning;
    if (!ReadWavFile(o.inputPath, audio, error, &warning)) return false;
    if (!warning.empty()) std::fprintf(stderr, "qxhost: warning: %s\n", warning.c_str());
    return true;
}

// Serves the sample components in-process when asked to, or when none is registered and
// the sample DLL sits next to this program. Returns a line for the summary.
std::string ServeComponents(const HostOptions& o, const std::vector<ComponentClass>& classes, InProcessServer& server,
                            std::string& error) {
    std::vector<CLSID> ids;
    for (const ComponentClass& c : classes) ids.push_back(c.clsid);
    if (!o.componentsPath.empty()) {
        if (!server.Load(Widen(o.componentsPath), error)) return "";
        return "served in-process from " + o.componentsPath + " (" + std::to_string(server.RegisterClasses(ids)) +
               " classes)";
    }
    if (classes.empty() || !ProbeComponents(classes).present.empty()) return "created through their registrations";
    const std::wstring fallback = ProgramFolder() + L"QXSampleFX.dll";
    std::string ignored;
    if (GetFileAttributesW(fallback.c_str()) == INVALID_FILE_ATTRIBUTES || !server.Load(fallback, ignored))
        return "none registered";
    return "none registered; serving " + Narrow(fallback) + " in-process (" +
           std::to_string(server.RegisterClasses(ids)) + " classes)";
}

// Min, median, 99th percentile and max of the per-period costs, and which period was the
// slowest (the first one pays for first use of memory and code).
void PrintCosts(const std::vector<double>& costs) {
    if (costs.empty()) return;
    const size_t slowest = size_t(std::max_element(costs.begin(), costs.end()) - costs.begin());
    std::vector<double> sorted = costs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("cost per period (fraction of real time): min %.4f, median %.4f, 99%% %.4f, max %.4f (period %zu)\n",
                sorted.front(), sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back(),
                slowest + 1);
}

void WritePlot(const HostOptions& o, const WavAudio& in, const WavAudio& out, const std::string& title) {
    const Spectrum a = AverageSpectrum(in.samples, in.channels, in.rate);
    const Spectrum b = AverageSpectrum(out.samples, out.channels, out.rate);
    std::string error;
    const PlatformPlot plot;
    if (plot.Write(o.pngPath, PlotSpectra(a, b, in.rate, title, plot.Text()), error)) std::printf("spectrum plot: %s\n", o.pngPath.c_str());
    else std::fprintf(stderr, "qxhost: warning: %s\n", error.c_str());
}

// Every DLL the run loads or reaches through COM is shown to `modules`.
int Run(const HostOptions& o, ModuleWatch& modules) {
    std::string error, inputDescription;
    WavAudio input;
    if (!LoadInput(o, input, inputDescription, error)) return Fail(kExitRunFailed, error);
    const uint32_t outChannels = o.outChannels ? o.outChannels : input.channels;
    const uint32_t period = o.PeriodFrames(input.rate);

    InProcessServer componentServer;  // outlives the session, whose processor holds components
    const std::vector<ComponentClass> classes = ComponentClassesOf(o.processor, o.formFactor);
    const std::string componentOrigin = ServeComponents(o, classes, componentServer, error);
    if (componentOrigin.empty()) return Fail(kExitRunFailed, error);
    modules.Watch(componentServer.Module());
    const ProbeResult probe = ProbeComponents(classes, &modules);

    ProcessorSession session;
    std::string processorOrigin;
    if (!session.Create(o.processor, o.modulePath, processorOrigin, error)) return Fail(kExitRunFailed, error);
    modules.Watch(session.Processor());
    const HRESULT initialized = session.Initialize(o.formFactor);
    std::vector<std::string> enabled, settingsText;
    for (const qx::settings::EffectInfo* e : o.enabled) {
        session.Write({qx::settings::FindKey(e->enableKey), 1, {}, ""});
        enabled.push_back(EffectLabel(*e));
    }
    for (const SettingValue& s : o.settings) {
        session.Write(s);
        settingsText.push_back(s.text);
    }
    const HRESULT locked = session.Lock(input.rate, input.channels, outChannels, period, o.outputTag);
    if (FAILED(locked)) return Fail(kExitRunFailed, std::string("LockForProcess failed with ") + Hex(locked));

    WavAudio output;
    output.format = o.outputFormatGiven ? o.outputFormat : input.format;
    const RunStats stats = RunPeriods(session, input, {outChannels, period, o.processor == ProcessorKind::Global},
                                      o.changes, output);
    if (!WriteWavFile(o.outputPath, output, error)) return Fail(kExitRunFailed, error);

    std::printf("processor: %s (%s)\n", ProcessorName(o.processor), processorOrigin.c_str());
    std::printf("endpoint: %s (form factor %u)\n", FormFactorName(o.formFactor), o.formFactor);
    std::printf("input:  %s: %s\n", inputDescription.c_str(), Describe(input).c_str());
    std::printf("output: %s: %s\n", o.outputPath.c_str(), Describe(output).c_str());
    std::printf("period: %u frames (%.2f ms), %zu periods\n", period, 1000.0 * period / input.rate, stats.periods);
    std::printf("components: %s\n", componentOrigin.c_str());
    if (!classes.empty())
        std::printf("  present: %s\n  absent: %s\n", Join(probe.present).c_str(), Join(probe.absent).c_str());
    std::printf("enabled: %s\n", Join(enabled).c_str());
    std::printf("settings: %s\n", Join(settingsText).c_str());
    std::printf("status: Initialize %s, LockForProcess %s\n", Hex(initialized).c_str(), Hex(locked).c_str());
    std::printf("periods: %zu processed, %zu passed through (nothing to do), %zu failed%s\n", stats.processed,
                stats.bypassed, stats.failed, stats.failed ? (" (first " + Hex(stats.firstFailure) + ")").c_str() : "");
    if (!o.changes.empty())
        std::printf("changes: %zu reported, last status %s\n", stats.changesApplied, Hex(stats.lastChangeStatus).c_str());
    const OutputLevels levels = MeasureLevels(output.samples);
    std::printf("clipped: %zu of %zu output samples at or beyond full scale; peak %s\n", levels.clipped,
                output.samples.size(), PeakDbfs(levels.peak).c_str());
    PrintCosts(stats.costs);
    if (!o.pngPath.empty()) {
        const std::string title = std::string(ProcessorName(o.processor)) + "  " + std::to_string(input.rate) + " HZ  " +
                                  std::to_string(input.channels) + " CH  " + Join(enabled, "NOTHING ENABLED");
        WritePlot(o, input, output, title);
    }
    return 0;
}

// Runs with COM started and then, with everything the run created released, reports
// whether each DLL it used can unload; one that cannot makes the exit status non-zero.
int RunAndCheckUnload(const HostOptions& o) {
    qx::ComApartment com(COINIT_MULTITHREADED);
    if (FAILED(com.Status())) return Fail(kExitRunFailed, "COM start-up failed with " + Hex(com.Status()));
    ModuleWatch modules;
    const int status = Run(o, modules);
    CoFreeUnusedLibraries();
    if (modules.Report(stdout) || status != 0) return status;
    return Fail(kExitCannotUnload, "a DLL it used cannot unload: an object or lock was not given back");
}
}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, options, error)) return Fail(kExitUsage, error);
    if (options.help) {
        std::fputs(kHostUsage, stdout);
        return 0;
    }
    try {
        if (!ApplyEqPresetOption(options, error)) return Fail(kExitUsage, error);
        if (options.mode == HostMode::Measure) return RunMeasure(options);
        if (options.mode == HostMode::Stress) return RunStress(options);
        if (options.mode == HostMode::Compare) return RunCompare(options);
        return RunAndCheckUnload(options);
    } catch (const std::bad_alloc&) {
        return Fail(kExitRunFailed, "out of memory");
    }
}
