#include "host/EqPreset.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "components/dsp/Biquad.h"

namespace qx::host {

namespace {
constexpr double kDesignRate = 48000;

struct FilterName {
    const char* name;
    PresetFilterType type;
};
// The type codes of the parametric form; the shelves also come without the trailing C.
constexpr FilterName kFilterNames[] = {
    {"PK", PresetFilterType::Peaking},    {"PEQ", PresetFilterType::Peaking},  {"LSC", PresetFilterType::LowShelf},
    {"LS", PresetFilterType::LowShelf},   {"HSC", PresetFilterType::HighShelf}, {"HS", PresetFilterType::HighShelf},
};

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

bool Number(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == 0 && std::isfinite(value);
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool Fail(std::string& error, size_t line, const std::string& why) {
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

// "Preamp: -6.1 dB"
bool ParsePreamp(const std::string& rest, EqPreset& p, size_t line, std::string& error) {
    const std::vector<std::string> w = Words(rest);
    if (w.empty() || w.size() > 2 || !Number(w[0], p.preampDb) || (w.size() == 2 && Upper(w[1]) != "DB"))
        return Fail(error, line, "a preamp is 'Preamp: <gain> dB'");
    return true;
}

// "ON PK Fc 1220 Hz Gain -1.2 dB Q 2.53" (shelves may leave Q out; OFF filters are kept out).
bool ParseFilter(const std::string& rest, EqPreset& p, size_t line, std::string& error) {
    const std::vector<std::string> w = Words(rest);
    const char* shape = "a filter is 'ON PK Fc <Hz> Hz Gain <dB> dB Q <q>' (PK, LSC or HSC)";
    if (w.size() < 2) return Fail(error, line, shape);
    const std::string state = Upper(w[0]);
    if (state == "OFF") return true;
    if (state != "ON") return Fail(error, line, shape);
    PresetFilter f;
    const auto type = std::find_if(std::begin(kFilterNames), std::end(kFilterNames),
                                   [&](const FilterName& n) { return Upper(w[1]) == n.name; });
    if (type == std::end(kFilterNames)) return Fail(error, line, "unknown filter type '" + w[1] + "' (PK, LSC or HSC)");
    f.type = type->type;
    bool haveHz = false, haveGain = false, haveQ = false;
    for (size_t i = 2; i < w.size(); ++i) {
        const std::string key = Upper(w[i]);
        if (key == "HZ" || key == "DB") continue;
        double* target = key == "FC" ? &f.hz : key == "GAIN" ? &f.gainDb : key == "Q" ? &f.q : nullptr;
        if (!target || i + 1 >= w.size() || !Number(w[i + 1], *target)) return Fail(error, line, shape);
        (key == "FC" ? haveHz : key == "GAIN" ? haveGain : haveQ) = true;
        ++i;
    }
    if (!haveHz || !haveGain || (f.type == PresetFilterType::Peaking && !haveQ)) return Fail(error, line, shape);
    if (f.hz < 10 || f.hz > 24000) return Fail(error, line, "filter frequency out of range 10 to 24000 Hz");
    if (std::fabs(f.gainDb) > 30) return Fail(error, line, "filter gain out of range -30 to 30 dB");
    if (f.q < 0.05 || f.q > 30) return Fail(error, line, "filter Q out of range 0.05 to 30");
    p.filters.push_back(f);
    return true;
}

// "20 -0.2; 21 -0.2; ..." with rising frequencies.
bool ParseCurve(const std::string& rest, EqPreset& p, size_t line, std::string& error) {
    std::istringstream in(rest);
    for (std::string pair; std::getline(in, pair, ';');) {
        if (Trim(pair).empty()) continue;
        const std::vector<std::string> w = Words(pair);
        CurvePoint c{};
        if (w.size() != 2 || !Number(w[0], c.hz) || !Number(w[1], c.db) || c.hz <= 0)
            return Fail(error, line, "a GraphicEQ point is '<Hz> <dB>', not '" + Trim(pair) + "'");
        if (!p.curve.empty() && c.hz <= p.curve.back().hz)
            return Fail(error, line, "GraphicEQ frequencies must rise ('" + Trim(pair) + "')");
        if (std::fabs(c.db) > 30) return Fail(error, line, "GraphicEQ gain out of range -30 to 30 dB");
        p.curve.push_back(c);
    }
    if (p.curve.empty()) return Fail(error, line, "GraphicEQ holds no points");
    return true;
}
}  // namespace

double EqPreset::TargetDb(double hz) const {
    if (!curve.empty()) {
        if (hz <= curve.front().hz) return curve.front().db;
        if (hz >= curve.back().hz) return curve.back().db;
        const auto upper = std::upper_bound(curve.begin(), curve.end(), hz,
                                            [](double f, const CurvePoint& c) { return f < c.hz; });
        const CurvePoint& a = *(upper - 1);
        const CurvePoint& b = *upper;
        return a.db + (b.db - a.db) * std::log(hz / a.hz) / std::log(b.hz / a.hz);
    }
    double db = 0;
    for (const PresetFilter& f : filters) {
        const double hzAt = std::min(f.hz, fx::MaxFilterFrequency(kDesignRate));
        const fx::BiquadCoefficients c =
            f.type == PresetFilterType::Peaking    ? fx::BiquadCoefficients::Peaking(kDesignRate, hzAt, f.q, f.gainDb)
            : f.type == PresetFilterType::LowShelf ? fx::BiquadCoefficients::LowShelf(kDesignRate, hzAt, f.gainDb, f.q)
                                                   : fx::BiquadCoefficients::HighShelf(kDesignRate, hzAt, f.gainDb, f.q);
        db += 20 * std::log10(c.Magnitude(kDesignRate, hz));
    }
    return db;
}

bool ParseEqPreset(const std::string& text, EqPreset& preset, std::string& error) {
    preset = EqPreset{};
    std::istringstream in(text);
    size_t line = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++line;
        const std::string s = Trim(raw);
        if (s.empty() || s[0] == '#') continue;
        const size_t colon = s.find(':');
        const std::string head = Upper(Trim(s.substr(0, colon)));
        const std::string rest = colon == std::string::npos ? "" : s.substr(colon + 1);
        bool ok;
        if (colon == std::string::npos) ok = Fail(error, line, "expected 'Preamp:', 'Filter N:' or 'GraphicEQ:'");
        else if (head == "PREAMP") ok = ParsePreamp(rest, preset, line, error);
        else if (head == "GRAPHICEQ") ok = ParseCurve(rest, preset, line, error);
        else if (head.compare(0, 6, "FILTER") == 0) ok = ParseFilter(rest, preset, line, error);
        else ok = Fail(error, line, "unknown entry '" + Trim(s.substr(0, colon)) + "'");
        if (!ok) return false;
    }
    if (preset.filters.empty() && preset.curve.empty()) return Fail(error, line, "no filters and no GraphicEQ curve");
    if (!preset.filters.empty() && !preset.curve.empty())
        return Fail(error, line, "a preset is either filters or a GraphicEQ curve, not both");
    return true;
}

bool ReadEqPresetFile(const std::string& path, EqPreset& preset, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return error = "cannot open '" + path + "'", false;
    std::ostringstream text;
    text << file.rdbuf();
    if (!ParseEqPreset(text.str(), preset, error)) return error = path + ": " + error, false;
    return true;
}

}  // namespace qx::host
