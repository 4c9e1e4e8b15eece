#pragma once
// Fitting a preset's target response to the sample components' own equalisers, by least
// squares over 20 Hz to 20 kHz on a log-frequency grid, with the filter shapes those
// components run (peaking sections and slope-1 shelves designed at 48000 Hz, cascaded),
// and only the values their settings can hold:
//  - the 15-Band Equalizer: Bass shelf 80 to 90 Hz, Treble shelf 16000 to 19800 Hz (so it
//    stays within what a 44100 Hz stream can carry), band i between its neighbours in
//    the list 90, 100, 150, ... 16000 Hz, whole-dB gains within +-12, Q in steps of 0.5
//    from 0.5 to 10;
//  - the ten-band Equalizer: its fixed octave bands, whole-dB gains within +-20.
// The search is a deterministic coordinate descent over those discrete values, coarse
// steps first. Pure C++.
#include <cstdint>

#include "host/EqPreset.h"
#include "settings/EffectSchema.h"

namespace qx::host {

struct FitResidual {
    double rmsDb = 0, maxDb = 0;  // of fitted minus target over the grid
};

struct Eq15Fit {
    settings::FilterRecord bass{}, treble{}, bands[15]{};
    FitResidual residual;
};

struct Eq10Fit {
    int32_t gains[10] = {};
    FitResidual residual;
};

Eq15Fit FitEq15(const EqPreset& preset);
Eq10Fit FitEq10(const EqPreset& preset);

// The response of the fitted settings at hz, in dB (as the components run them).
double Eq15ResponseDb(const Eq15Fit& fit, double hz);

}  // namespace qx::host
