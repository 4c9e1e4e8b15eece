#include "host/Stress.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "host/ChainSession.h"

namespace qx::host {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kToneHz = 200;
constexpr double kToneLevel = 0.1;  // -20 dBFS
// A sine of peak P moves at most P * w per sample; twice that, plus a floor far below
// anything audible, is what the effects' glides may add.
constexpr double kStepMargin = 2;
constexpr double kStepFloor = 1e-3;

settings::Processor Owner(ProcessorKind kind) {
    switch (kind) {
    case ProcessorKind::Local: return settings::Processor::LFX;
    case ProcessorKind::Capture: return settings::Processor::MicLFX;
    default: return settings::Processor::GFX;
    }
}

// Every key in the families of the enabled effects (of all the processor's effects when
// none is enabled), enable flags included.
std::vector<const settings::KeyInfo*> StressedKeys(const HostOptions& o) {
    std::vector<qx::Guid> families;
    for (const settings::EffectInfo& e : settings::kEffectTable) {
        const bool chosen = o.enabled.empty() ? e.processor == Owner(o.processor)
                                              : std::find(o.enabled.begin(), o.enabled.end(), &e) != o.enabled.end();
        if (chosen) families.push_back(e.enableKey.fmtid);
    }
    std::vector<const settings::KeyInfo*> keys;
    for (size_t k = 0; k < settings::kKeyCount; ++k)
        for (const qx::Guid& f : families)
            if (settings::kKeyTable[k].key.fmtid == f) {
                keys.push_back(&settings::kKeyTable[k]);
                break;
            }
    return keys;
}

SettingValue RandomValue(const settings::KeyInfo& key, std::mt19937& random) {
    SettingValue s;
    s.key = &key;
    if (key.kind == settings::ValueKind::Blob) {
        s.blob.assign(key.blobSize, 0);
        for (uint32_t r = 0; r * settings::kFilterRecordSize < key.blobSize; ++r) {
            const double hz = 20 * std::pow(1000.0, std::uniform_real_distribution<double>(0, 1)(random));
            const settings::FilterRecord record{uint32_t(random() % 2), uint32_t(hz), int32_t(random() % 25) - 12,
                                                0.5f * float(1 + random() % 20)};
            settings::EncodeFilterRecord(record, s.blob.data() + r * settings::kFilterRecordSize);
        }
        return s;
    }
    const int32_t v = std::uniform_int_distribution<int32_t>(key.min, key.max)(random);
    s.value = key.kind == settings::ValueKind::Signed ? settings::EncodeSigned(v) : uint32_t(v);
    return s;
}

struct Findings {
    size_t nonFinite = 0, failed = 0, jumps = 0;
    size_t switchPeriods = 0;  // periods around an effect switched on or off, not checked for jumps
    size_t firstJumpPeriod = 0;
    double worstJump = 0;
    double worstCost = 0;
};

// Checks one period's output, channel by channel, against the previous sample and level.
void Inspect(const std::vector<float>& out, uint32_t channels, uint32_t frames, double w, size_t period, bool switched,
             std::vector<float>& last, std::vector<double>& lastPeak, Findings& f) {
    for (uint32_t c = 0; c < channels; ++c) {
        double peak = 0;
        for (uint32_t i = 0; i < frames; ++i) peak = std::max(peak, double(std::fabs(out[i * channels + c])));
        const double allowed = kStepMargin * w * std::max(peak, lastPeak[c]) + kStepFloor;
        for (uint32_t i = 0; i < frames; ++i) {
            const float y = out[i * channels + c];
            if (!std::isfinite(y)) {
                ++f.nonFinite;
                continue;
            }
            const double step = std::fabs(double(y) - last[c]);
            if (step > allowed && period > 0 && !switched) {
                if (f.jumps++ == 0) f.firstJumpPeriod = period;
                f.worstJump = std::max(f.worstJump, step);
            }
            last[c] = y;
        }
        lastPeak[c] = peak;
    }
}
}  // namespace

int RunStress(const HostOptions& o) {
    const uint32_t period = o.PeriodFrames(o.rate);
    ChainSession chain;
    std::string error;
    if (!chain.Start(o, o.rate, o.channels, period, error)) {
        std::fprintf(stderr, "qxhost: error: %s\n", error.c_str());
        return 1;
    }
    ProcessorSession& session = chain.Session();
    const std::vector<const settings::KeyInfo*> keys = StressedKeys(o);

    // An effect switched on or off starts or stops at a period boundary with no crossfade
    // (the processor reads its flags once per period), so its step is what the settings
    // allow: the periods around a switch are not checked for jumps.
    std::atomic<bool> stop{false};
    std::atomic<size_t> changes{0}, switches{0};
    std::thread changer([&] {
        std::mt19937 random(o.seed);
        while (!stop.load() && !keys.empty()) {
            const SettingValue s = RandomValue(*keys[random() % keys.size()], random);
            const bool isSwitch = s.key->kind == settings::ValueKind::Flag;
            if (isSwitch) switches.fetch_add(1);
            session.Change(s);
            if (isSwitch) switches.fetch_add(1);
            changes.fetch_add(1);
            std::this_thread::yield();
        }
    });

    Findings f;
    const double w = 2 * kPi * kToneHz / o.rate;
    std::vector<float> in(size_t(period) * o.channels), out(in.size());
    std::vector<float> last(o.channels, 0.0f);
    std::vector<double> lastPeak(o.channels, kToneLevel);
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    // At least the periods asked for, and on until the other thread has reported a
    // change per four periods (a busy machine may starve it), within ten times as many.
    const size_t periods = o.stressPeriods, wantedChanges = keys.empty() ? 0 : periods / 4;
    size_t p = 0;
    size_t switchesSeen = 0;
    // The other thread counts a switch once before it starts and once when it is done,
    // so an odd count is a switch in flight (a loaded machine may hold it there for many
    // periods). A switch seen after a period may have taken effect in it or in the next
    // one, and a converted stream carries the step on into the period after that (the
    // converters' delay), so the periods with a switch in flight or seen, and the two
    // after them, are not checked.
    constexpr size_t kPeriodsAfterSwitch = 2;
    size_t afterSwitch = 0;
    for (; p < periods || (changes.load() < wantedChanges && p < 10 * periods); ++p) {
        for (uint32_t i = 0; i < period; ++i)
            for (uint32_t c = 0; c < o.channels; ++c)
                in[i * o.channels + c] = float(kToneLevel * std::sin(w * double(p * period + i)));
        QueryPerformanceCounter(&t0);
        const HRESULT status = session.Process(in.data(), out.data(), period);
        if (o.processor == ProcessorKind::Global) session.ProcessMonitor(out.data(), period);
        QueryPerformanceCounter(&t1);
        f.worstCost = std::max(f.worstCost, double(t1.QuadPart - t0.QuadPart) / double(frequency.QuadPart) /
                                                (double(period) / o.rate));
        if (FAILED(status)) ++f.failed;
        if (status == 1) out = in;  // nothing written: the period passes through
        const size_t nowSwitches = switches.load();
        const bool switchedNow = nowSwitches != switchesSeen || nowSwitches % 2 == 1;
        const bool switched = switchedNow || afterSwitch > 0;
        afterSwitch = switchedNow ? kPeriodsAfterSwitch : afterSwitch - (afterSwitch > 0);
        switchesSeen = nowSwitches;
        if (switched) ++f.switchPeriods;
        Inspect(out, o.channels, period, w, p, switched, last, lastPeak, f);
    }
    stop.store(true);
    changer.join();

    std::printf("stress: %s, %u Hz, %u channels, %zu periods of %u frames, %zu settings, %zu changes reported\n",
                ProcessorName(o.processor), o.rate, o.channels, p, period, keys.size(), changes.load());
    std::printf("non-finite samples: %zu\nfailed periods: %zu\n", f.nonFinite, f.failed);
    if (f.jumps)
        std::printf("jumps: %zu (first in period %zu, largest %.4g)\n", f.jumps, f.firstJumpPeriod + 1, f.worstJump);
    else
        std::printf("jumps: 0\n");
    std::printf("periods around effects switched on or off (not checked for jumps): %zu\n", f.switchPeriods);
    std::printf("worst period cost (fraction of real time): %.4f\n", f.worstCost);
    return f.nonFinite || f.failed || f.jumps ? 1 : 0;
}

}  // namespace qx::host
