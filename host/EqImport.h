#pragma once
// Turns a published EQ preset file into settings of the 15-Band Equalizer (cascaded, so
// the fitted sections add as the fit assumed) or of the ten-band Equalizer, with the
// effect to switch on and a report of the fit: its residual and the preamp the preset
// asks for. Shared by qxhost --eq-preset and qxpanel --import-eq. Pure C++.
#include <string>
#include <vector>

#include "host/HostOptions.h"

namespace qx::host {

struct EqImport {
    const settings::EffectInfo* effect = nullptr;
    std::vector<SettingValue> settings;
    std::string report;  // lines to print
};

bool ImportEqPreset(const std::string& path, bool tenBand, EqImport& result, std::string& error);

// qxhost --eq-preset: imports options.eqPresetPath (when given), prints the report and
// adds the effect and its settings to the options' first set.
bool ApplyEqPresetOption(HostOptions& options, std::string& error);

}  // namespace qx::host
