#pragma once
// Controls of the ten-band "Equalizer" dialog: one vertical trackbar per band,
// band 1 (30 Hz) first.
#define IDC_EQ_BAND_FIRST 202
#define IDC_EQ_BAND_LAST 211
