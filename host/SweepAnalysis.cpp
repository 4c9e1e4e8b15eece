#include "host/SweepAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "host/Fft.h"

namespace qx::host {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kFadeSeconds = 0.005;
constexpr double kReportLowHz = 20, kReportHighHz = 20000;
using Complex = std::complex<double>;

// Half-Hann fades over fadeIn frames at the start and fadeOut at the end.
double Fade(size_t n, size_t frames, size_t fadeIn, size_t fadeOut) {
    const auto half = [](size_t edge, size_t fade) {
        return edge >= fade ? 1.0 : 0.5 - 0.5 * std::cos(kPi * double(edge) / double(fade));
    };
    return half(n, fadeIn) * half(frames - 1 - n, fadeOut);
}

// The part of the deconvolved response from `first` for `length` frames (indices wrap,
// since the harmonics land before time 0) as a spectrum; its edges are faded over half
// of `lead` (the frames before the peak it is cut around) and an eighth of the rest.
std::vector<Complex> Window(const std::vector<Complex>& ir, long first, size_t length, size_t lead, size_t fftSize) {
    std::vector<Complex> part(fftSize);
    const long n = long(ir.size());
    const size_t fadeIn = std::max<size_t>(1, lead / 2), fadeOut = std::max<size_t>(1, (length - lead) / 8);
    for (size_t i = 0; i < length; ++i) {
        const long at = ((first + long(i)) % n + n) % n;
        part[i] = ir[size_t(at)] * Fade(i, length, fadeIn, fadeOut);
    }
    Fft(part);
    return part;
}

double BinPower(const std::vector<Complex>& s, double binHz, double from, double to) {
    double sum = 0;
    size_t count = 0;
    for (size_t b = size_t(std::ceil(from / binHz)); b <= size_t(to / binHz) && b < s.size() / 2; ++b, ++count)
        sum += std::norm(s[b]);
    return count ? sum / double(count) : 0;
}
}  // namespace

size_t SweepPlan::SweepFrames() const { return size_t(std::lround(seconds * rate)); }
size_t SweepPlan::Frames() const { return SweepFrames() + size_t(std::lround(tailSeconds * rate)); }
double SweepPlan::SecondsPerE() const { return seconds / std::log(endHz / startHz); }

SweepPlan PlanSweep(double rate, double seconds, double levelDb) {
    SweepPlan plan;
    plan.rate = rate;
    plan.seconds = seconds;
    plan.endHz = std::min(22000.0, 0.45 * rate);
    plan.amplitude = std::pow(10.0, levelDb / 20);
    return plan;
}

std::vector<double> MakeSweep(const SweepPlan& plan) {
    std::vector<double> x(plan.Frames(), 0.0);
    const size_t frames = plan.SweepFrames();
    const double l = plan.SecondsPerE();
    const size_t fade = size_t(kFadeSeconds * plan.rate);
    for (size_t n = 0; n < frames; ++n) {
        const double t = double(n) / plan.rate;
        x[n] = plan.amplitude * Fade(n, frames, fade, fade) * std::sin(2 * kPi * plan.startHz * l * (std::exp(t / l) - 1));
    }
    return x;
}

double SweepResult::ResponseDb(double hz) const {
    const std::vector<double>& db = response.levelDb;
    const double at = hz / response.binHz;
    const size_t below = std::min(db.size() - 2, size_t(at));
    const double frac = std::min(1.0, at - double(below));
    return db[below] + frac * (db[below + 1] - db[below]);
}

SweepResult AnalyseSweep(const SweepPlan& plan, const std::vector<double>& output) {
    const std::vector<double> sweep = MakeSweep(plan);
    const size_t n = FftSizeFor(2 * plan.Frames());
    std::vector<Complex> x(n), y(n);
    for (size_t i = 0; i < sweep.size(); ++i) x[i] = sweep[i];
    for (size_t i = 0; i < output.size() && i < n; ++i) y[i] = output[i];
    Fft(x);
    Fft(y);
    // Spectral division, regularised where the sweep has no energy (outside its band).
    double loudest = 0;
    for (const Complex& v : x) loudest = std::max(loudest, std::norm(v));
    const double floor = 1e-8 * loudest;
    for (size_t b = 0; b < n; ++b) y[b] = y[b] * std::conj(x[b]) / (std::norm(x[b]) + floor);
    Fft(y, true);

    SweepResult r;
    r.lowHz = std::max(kReportLowHz, plan.startHz);
    r.highHz = std::min(kReportHighHz, plan.endHz);
    // The linear part: the peak in the causal half; its window reaches back half way to
    // where the 2nd harmonic lands and forward over the tail.
    size_t peak = 0;
    for (size_t i = 0; i < n / 2; ++i)
        if (std::abs(y[i]) > std::abs(y[peak])) peak = i;
    r.latency = long(peak);
    const double l = plan.SecondsPerE() * plan.rate;
    const long before = long(0.5 * l * std::log(2.0));
    const size_t length = size_t(before) + size_t(plan.tailSeconds * plan.rate);
    const size_t fftSize = FftSizeFor(length);
    const std::vector<Complex> linear = Window(y, long(peak) - before, length, size_t(before), fftSize);
    r.response.binHz = plan.rate / double(fftSize);
    r.response.levelDb.resize(fftSize / 2 + 1);
    for (size_t b = 0; b <= fftSize / 2; ++b) r.response.levelDb[b] = 10 * std::log10(std::norm(linear[b]) + 1e-30);

    // Harmonic k lands L ln k before the peak; its window reaches half way to each neighbour.
    for (int k = 2; k < 2 + kHarmonics; ++k) {
        const double centre = double(peak) - l * std::log(double(k));
        const double back = 0.5 * l * std::log((k + 1.0) / k), ahead = 0.5 * l * std::log(k / (k - 1.0));
        const size_t span = size_t(back + ahead);
        const size_t size = FftSizeFor(span);
        const std::vector<Complex> h = Window(y, long(std::floor(centre - back)), span, size_t(back), size);
        const std::vector<Complex> f = Window(y, long(peak) - long(back), span, size_t(back), size);
        // Over the output frequencies the harmonic reaches inside the sweep's band.
        const double from = 2 * k * r.lowHz, to = 0.8 * plan.endHz;
        const double binHz = plan.rate / double(size);
        const double harmonic = BinPower(h, binHz, from, to), fundamental = BinPower(f, binHz, from / k, to / k);
        r.harmonicDb[k - 2] = from < to && fundamental > 0 ? 10 * std::log10(harmonic / fundamental + 1e-30) : -300;
    }
    return r;
}

}  // namespace qx::host
