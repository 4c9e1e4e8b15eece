#include "host/EqFit.h"

#include <cmath>
#include <iterator>
#include <vector>

#include "components/dsp/Biquad.h"
#include "components/dsp/GraphicEqualizer.h"

namespace qx::host {

namespace {
constexpr double kRate = 48000;  // the processors' internal rate
constexpr int kGridPoints = 240;
constexpr double kLowHz = 20, kHighHz = 20000;
constexpr double kBandEdges[16] = {90, 100, 150, 250, 350, 500, 700, 1000, 1500, 2000, 2500, 4000, 5000, 8000, 11000, 16000};
constexpr int32_t kQSteps = 20;  // Q = steps * 0.5

enum class Shape { Peaking, LowShelf, HighShelf };

// One section of the fit with the values it may take: frequency in whole Hz within
// [lowHz, highHz], gain in whole dB within +-maxGain, Q in half steps (fixed if
// qSteps is 0), and its response on the grid.
struct FitSection {
    Shape shape;
    int32_t lowHz, highHz, maxGain;
    double fixedQ;  // 0: the Q is fitted
    int32_t hz, gain = 0, qSteps = 3;
    std::vector<double> db;

    double Q() const { return fixedQ > 0 ? fixedQ : 0.5 * qSteps; }
    fx::BiquadCoefficients Design() const {
        switch (shape) {
        case Shape::LowShelf: return fx::BiquadCoefficients::LowShelf(kRate, hz, gain);
        case Shape::HighShelf: return fx::BiquadCoefficients::HighShelf(kRate, hz, gain);
        default: return fx::BiquadCoefficients::Peaking(kRate, hz, Q(), gain);
        }
    }
};

FitSection Section(Shape shape, int32_t lowHz, int32_t highHz, int32_t maxGain, double fixedQ, int32_t hz) {
    FitSection s{shape, lowHz, highHz, maxGain, fixedQ, hz, 0, 3, {}};
    return s;
}

std::vector<double> Grid() {
    std::vector<double> hz(kGridPoints);
    for (int i = 0; i < kGridPoints; ++i) hz[i] = kLowHz * std::pow(kHighHz / kLowHz, double(i) / (kGridPoints - 1));
    return hz;
}

void Respond(FitSection& s, const std::vector<double>& grid) {
    s.db.assign(grid.size(), 0.0);
    if (s.gain == 0) return;
    const fx::BiquadCoefficients c = s.Design();
    for (size_t i = 0; i < grid.size(); ++i) s.db[i] = 20 * std::log10(c.Magnitude(kRate, grid[i]));
}

double Cost(const std::vector<FitSection>& sections, const std::vector<double>& target) {
    double sum = 0;
    for (size_t i = 0; i < target.size(); ++i) {
        double db = -target[i];
        for (const FitSection& s : sections) db += s.db[i];
        sum += db * db;
    }
    return sum;
}

// Tries each move of one section; keeps the best that lowers the cost.
bool Improve(std::vector<FitSection>& sections, size_t k, const std::vector<double>& grid,
             const std::vector<double>& target, double& cost, int scale) {
    const FitSection kept = sections[k];
    FitSection best = kept;
    const int32_t hzStep = std::max<int32_t>(1, int32_t(kept.hz * 0.01 * scale));
    const struct {
        int32_t hz, gain, q;
    } moves[] = {{0, scale, 0}, {0, -scale, 0}, {hzStep, 0, 0}, {-hzStep, 0, 0}, {0, 0, scale}, {0, 0, -scale}};
    for (const auto& m : moves) {
        FitSection& s = sections[k];
        s = kept;
        s.hz = std::min(kept.highHz, std::max(kept.lowHz, kept.hz + m.hz));
        s.gain = std::min(kept.maxGain, std::max(-kept.maxGain, kept.gain + m.gain));
        s.qSteps = std::min(kQSteps, std::max(1, kept.qSteps + m.q));
        if (s.hz == kept.hz && s.gain == kept.gain && (s.qSteps == kept.qSteps || kept.fixedQ > 0)) continue;
        Respond(s, grid);
        const double c = Cost(sections, target);
        if (c < cost - 1e-12) {
            cost = c;
            best = s;
        }
    }
    sections[k] = best;
    return best.hz != kept.hz || best.gain != kept.gain || best.qSteps != kept.qSteps;
}

FitResidual Fit(std::vector<FitSection>& sections, const EqPreset& preset) {
    const std::vector<double> grid = Grid();
    std::vector<double> target(grid.size());
    for (size_t i = 0; i < grid.size(); ++i) target[i] = preset.TargetDb(grid[i]);
    for (FitSection& s : sections) Respond(s, grid);
    double cost = Cost(sections, target);
    for (int scale : {4, 2, 1})
        for (int pass = 0; pass < 200; ++pass) {
            bool moved = false;
            for (size_t k = 0; k < sections.size(); ++k) moved = Improve(sections, k, grid, target, cost, scale) || moved;
            if (!moved) break;
        }
    FitResidual r;
    for (size_t i = 0; i < grid.size(); ++i) {
        double db = -target[i];
        for (const FitSection& s : sections) db += s.db[i];
        r.maxDb = std::max(r.maxDb, std::fabs(db));
    }
    r.rmsDb = std::sqrt(cost / double(grid.size()));
    return r;
}

settings::FilterRecord Record(const FitSection& s) {
    return {s.gain != 0 ? 1u : 0u, uint32_t(s.hz), s.gain, s.fixedQ > 0 ? 1.0f : float(s.Q())};
}
}  // namespace

Eq15Fit FitEq15(const EqPreset& preset) {
    std::vector<FitSection> sections;
    sections.push_back(Section(Shape::LowShelf, 80, 90, 12, 1, 85));
    sections.push_back(Section(Shape::HighShelf, 16000, 19800, 12, 1, 18000));
    for (int b = 0; b < 15; ++b) {
        const int32_t lo = int32_t(kBandEdges[b]), hi = int32_t(kBandEdges[b + 1]);
        sections.push_back(Section(Shape::Peaking, lo, hi, 12, 0, int32_t(std::lround(std::sqrt(double(lo) * hi)))));
    }
    Eq15Fit fit;
    fit.residual = Fit(sections, preset);
    fit.bass = Record(sections[0]);
    fit.treble = Record(sections[1]);
    for (int b = 0; b < 15; ++b) fit.bands[b] = Record(sections[2 + b]);
    return fit;
}

Eq10Fit FitEq10(const EqPreset& preset) {
    std::vector<FitSection> sections;
    for (double centre : fx::GraphicEqualizer::kCentres) {
        const int32_t hz = int32_t(centre);
        sections.push_back(Section(Shape::Peaking, hz, hz, fx::GraphicEqualizer::kMaxGainDb, fx::GraphicEqualizer::kQ, hz));
    }
    Eq10Fit fit;
    fit.residual = Fit(sections, preset);
    for (int b = 0; b < 10; ++b) fit.gains[b] = sections[b].gain;
    return fit;
}

double Eq15ResponseDb(const Eq15Fit& fit, double hz) {
    double db = 0;
    const auto add = [&](const settings::FilterRecord& r, Shape shape) {
        if (!r.on || r.gain == 0) return;
        const fx::BiquadCoefficients c =
            shape == Shape::LowShelf    ? fx::BiquadCoefficients::LowShelf(kRate, r.frequency, r.gain)
            : shape == Shape::HighShelf ? fx::BiquadCoefficients::HighShelf(kRate, r.frequency, r.gain)
                                        : fx::BiquadCoefficients::Peaking(kRate, r.frequency, r.q, r.gain);
        db += 20 * std::log10(c.Magnitude(kRate, hz));
    };
    add(fit.bass, Shape::LowShelf);
    add(fit.treble, Shape::HighShelf);
    for (const settings::FilterRecord& r : fit.bands) add(r, Shape::Peaking);
    return db;
}

}  // namespace qx::host
