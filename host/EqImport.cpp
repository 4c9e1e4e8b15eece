#include "host/EqImport.h"

#include <cstdio>

#include "host/EqFit.h"
#include "host/EqPreset.h"

namespace qx::host {

namespace {
SettingValue Number(const settings::KeyId& key, uint32_t value) {
    SettingValue s;
    s.key = settings::FindKey(key);
    s.value = value;
    return s;
}

SettingValue Records(const settings::KeyId& key, const settings::FilterRecord* records, size_t count) {
    SettingValue s;
    s.key = settings::FindKey(key);
    s.blob.assign(count * settings::kFilterRecordSize, 0);
    for (size_t i = 0; i < count; ++i) settings::EncodeFilterRecord(records[i], s.blob.data() + i * settings::kFilterRecordSize);
    return s;
}

std::string Line(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}
}  // namespace

bool ImportEqPreset(const std::string& path, bool tenBand, EqImport& r, std::string& error) {
    EqPreset preset;
    if (!ReadEqPresetFile(path, preset, error)) return false;
    r = EqImport{};
    r.report = "EQ preset " + path + ": " +
               (preset.curve.empty() ? std::to_string(preset.filters.size()) + " filters"
                                     : std::to_string(preset.curve.size()) + " curve points") +
               "\n";
    FitResidual residual;
    if (tenBand) {
        const Eq10Fit fit = FitEq10(preset);
        residual = fit.residual;
        r.effect = settings::FindEffect(settings::EffectEqualizer);
        r.report += "fitted to the Equalizer:";
        for (uint32_t b = 0; b < 10; ++b) {
            r.settings.push_back(Number(settings::key::EqualizerBand(b + 1), settings::EncodeSigned(fit.gains[b])));
            r.report += Line(" %+.0f", fit.gains[b]);
        }
        r.report += " dB\n";
    } else {
        const Eq15Fit fit = FitEq15(preset);
        residual = fit.residual;
        r.effect = settings::FindEffect(settings::EffectEq15);
        r.settings.push_back(Records(settings::key::Eq15Bass, &fit.bass, 1));
        r.settings.push_back(Records(settings::key::Eq15Treble, &fit.treble, 1));
        r.settings.push_back(Records(settings::key::Eq15Bands, fit.bands, 15));
        r.settings.push_back(Number(settings::key::Eq15ParallelMode, 1));  // cascading
        r.report += Line("fitted to the 15-Band Equalizer: Bass %.0f Hz %+.0f dB, Treble %.0f Hz", fit.bass.frequency,
                         fit.bass.gain, fit.treble.frequency) +
                    Line(" %+.0f dB, cascading\n", fit.treble.gain);
        for (const settings::FilterRecord& b : fit.bands)
            r.report += Line("  band %6.0f Hz %+3.0f dB Q %.1f\n", b.frequency, b.gain, b.q);
    }
    r.settings.push_back(Number(r.effect->enableKey, 1));
    for (SettingValue& s : r.settings) s.text = s.key ? s.key->name : "";
    r.report += Line("residual: %.2f dB RMS, %.2f dB largest, 20 Hz to 20 kHz\n", residual.rmsDb, residual.maxDb);
    r.report += Line("preamp the preset asks for: %+.1f dB\n", preset.preampDb);
    return true;
}

bool ApplyEqPresetOption(HostOptions& o, std::string& error) {
    if (o.eqPresetPath.empty()) return true;
    EqImport imported;
    if (!ImportEqPreset(o.eqPresetPath, o.eqTenBand, imported, error)) return false;
    std::fputs(imported.report.c_str(), stdout);
    bool listed = false;
    for (const settings::EffectInfo* e : o.enabled) listed = listed || e == imported.effect;
    if (!listed) o.enabled.push_back(imported.effect);
    o.settings.insert(o.settings.end(), imported.settings.begin(), imported.settings.end());
    return true;
}

}  // namespace qx::host
