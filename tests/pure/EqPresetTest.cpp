// Published EQ presets: both text forms read, bad lines named, and the fit to the
// 15-Band Equalizer's and the Equalizer's own settings close to the preset's target.
#include <gtest/gtest.h>

#include <cmath>

#include "host/EqFit.h"
#include "host/EqPreset.h"

using namespace qx::host;

namespace {
// The usual headphone-correction shape: a low shelf, eight peaking filters, a high shelf.
const char kHeadphonePreset[] =
    "Preamp: -6.2 dB\n"
    "Filter 1: ON LSC Fc 105 Hz Gain 6.5 dB Q 0.70\n"
    "Filter 2: ON PK Fc 180 Hz Gain -2.1 dB Q 0.90\n"
    "Filter 3: ON PK Fc 600 Hz Gain 1.5 dB Q 1.40\n"
    "Filter 4: ON PK Fc 1250 Hz Gain -1.8 dB Q 2.00\n"
    "Filter 5: ON PK Fc 2900 Hz Gain 4.0 dB Q 2.50\n"
    "Filter 6: ON PK Fc 4800 Hz Gain -3.5 dB Q 4.00\n"
    "Filter 7: ON PK Fc 6300 Hz Gain 2.2 dB Q 3.00\n"
    "Filter 8: ON PK Fc 8400 Hz Gain -4.0 dB Q 5.00\n"
    "Filter 9: ON PK Fc 13000 Hz Gain 3.0 dB Q 2.00\n"
    "Filter 10: ON HSC Fc 10000 Hz Gain -2.5 dB Q 0.70\n";

struct BadPreset {
    const char* text;
    const char* error;  // the start of the message
};
const BadPreset kBadPresets[] = {
    {"Preamp: -6 dB\nFilter 1: ON XX Fc 100 Hz Gain 1 dB Q 1\n", "line 2: unknown filter type 'XX'"},
    {"Filter 1: ON PK Fc 100 Hz Gain 1 dB\n", "line 1: a filter is"},
    {"Preamp: loud\n", "line 1: a preamp is"},
    {"# comment\n\nGraphicEQ: 20 1; 10 2\n", "line 3: GraphicEQ frequencies must rise"},
    {"Volume: 3\n", "line 1: unknown entry 'Volume'"},
    {"Filter 1: ON PK Fc 99999 Hz Gain 1 dB Q 1\n", "line 1: filter frequency out of range"},
};
}  // namespace

TEST(EqPreset, ReadsBothFormsAndNamesTheBadLine) {
    EqPreset p;
    std::string error;
    ASSERT_TRUE(ParseEqPreset(kHeadphonePreset, p, error)) << error;
    ASSERT_EQ(10u, p.filters.size());
    EXPECT_TRUE(p.preampDb == -6.2 && p.filters[0].type == PresetFilterType::LowShelf &&
                p.filters[9].type == PresetFilterType::HighShelf && p.filters[7].hz == 8400 && p.filters[7].q == 5.0);
    ASSERT_TRUE(ParseEqPreset("Filter 1: OFF PK Fc 100 Hz Gain 1 dB Q 1\nGraphicEQ: 20 -1; 200 1; 2000 3\n", p, error));
    EXPECT_TRUE(p.filters.empty());
    EXPECT_DOUBLE_EQ(-1, p.TargetDb(10));                     // held flat below the first point
    EXPECT_NEAR(0.0, p.TargetDb(std::sqrt(20.0 * 200)), 1e-9);  // half way on a log scale
    EXPECT_DOUBLE_EQ(3, p.TargetDb(20000));
    for (const BadPreset& bad : kBadPresets) {
        EXPECT_FALSE(ParseEqPreset(bad.text, p, error)) << bad.text;
        EXPECT_EQ(0u, error.find(bad.error)) << error;
    }
}

// The fitted 15-band settings stay within what the component takes (the fit's accuracy
// through the components is measured end to end by the host tests); a smooth curve
// within the ten bands' reach fits the Equalizer closely.
TEST(EqPreset, FitsStayWithinTheEqualisersRanges) {
    EqPreset p;
    std::string error;
    ASSERT_TRUE(ParseEqPreset(kHeadphonePreset, p, error)) << error;
    for (const auto& r : FitEq15(p).bands) {
        EXPECT_LE(std::abs(r.gain), 12);
        EXPECT_EQ(0.0f, std::fmod(r.q * 2, 1.0f));
    }
    ASSERT_TRUE(ParseEqPreset("GraphicEQ: 20 4; 100 3; 500 -2; 2000 2; 8000 -3; 20000 0\n", p, error));
    EXPECT_LT(FitEq10(p).residual.rmsDb, 1.5);
}
