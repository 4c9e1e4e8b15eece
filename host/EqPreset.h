#pragma once
// Published headphone-correction presets in their two common text forms: a parametric
// list ("Preamp: -6.1 dB", then lines like "Filter 1: ON PK Fc 1220 Hz Gain -1.2 dB
// Q 2.53", with LSC and HSC shelves) and a graphic curve ("GraphicEQ: 20 -0.2; 21 -0.2;
// ..."). The preset's target response is what its filters (or its curve) do. Pure C++.
#include <string>
#include <vector>

namespace qx::host {

enum class PresetFilterType { Peaking, LowShelf, HighShelf };

struct PresetFilter {
    PresetFilterType type = PresetFilterType::Peaking;
    double hz = 1000, gainDb = 0, q = 0.7071067811865476;
};

struct CurvePoint {
    double hz, db;
};

struct EqPreset {
    double preampDb = 0;
    std::vector<PresetFilter> filters;  // the parametric form
    std::vector<CurvePoint> curve;      // the graphic form, by rising frequency

    // The response the preset asks for at hz, preamp left out, in dB: the sum of its
    // filters' responses (designed at 48000 Hz), or the curve interpolated on a log
    // frequency scale (held flat beyond its ends).
    double TargetDb(double hz) const;
};

// False with "line N: why" when a line is neither blank, a comment, nor one of the forms.
bool ParseEqPreset(const std::string& text, EqPreset& preset, std::string& error);
bool ReadEqPresetFile(const std::string& path, EqPreset& preset, std::string& error);

}  // namespace qx::host
