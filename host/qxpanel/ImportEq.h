#pragma once
// qxpanel --import-eq: fits a published EQ preset to the 15-Band Equalizer (or the
// ten-band Equalizer), writes the settings and the effect's enable key into the FX store
// file, and prints the fit's residual and the preamp the preset asks for.
#include <string>

namespace qx::panel {

// 0 on success; otherwise prints why and returns the program's failure code.
int ImportEqIntoStore(const std::wstring& presetPath, bool tenBand, const std::wstring& storeFile);

}  // namespace qx::panel
