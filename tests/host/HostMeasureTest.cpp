// qxhost's analysis modes end to end: a published preset fitted and measured through
// the global processor, the stress mode's findings, and compare's verdicts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "tests/host/HostRunner.h"

using qx::test::Q;
using qx::test::RunHost;
using qx::test::ScratchFolder;
using qx::test::TestFolder;

namespace {
std::string Servers() {
    return "--module " + Q(TestFolder() + "QXAPOMain.dll") + " --components " + Q(TestFolder() + "QXSampleFX.dll");
}

// The usual headphone-correction shape: a low shelf, eight peaking filters, a high shelf.
const char kPreset[] =
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

// The RMS figures of the "against the preset's target" lines, one per channel.
std::vector<double> RmsAgainstTarget(const std::string& out) {
    std::vector<double> rms;
    for (size_t at = out.find("against the preset's target: "); at != std::string::npos;
         at = out.find("against the preset's target: ", at + 1))
        rms.push_back(std::atof(out.c_str() + at + 29));
    return rms;
}
}  // namespace

// Through the converter too: the processors run the components at 48000 Hz whatever the
// stream's rate.
TEST(HostMeasure, AFittedPresetMeasuresWithinOneDecibelOfItsTarget) {
    ScratchFolder scratch;
    const std::string preset = scratch.Path("preset.txt");
    std::ofstream(preset) << kPreset;
    const std::string png = scratch.Path("response.png");
    for (const char* shape : {"--rate 48000 --channels 2", "--rate 96000 --channels 6"}) {
        const auto r = RunHost("measure " + Servers() + " --eq-preset " + Q(preset) + " --png " + Q(png) + " " + shape);
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_NE(std::string::npos, r.out.find("preamp the preset asks for: -6.2 dB")) << r.out;
        const std::vector<double> rms = RmsAgainstTarget(r.out);
        ASSERT_FALSE(rms.empty()) << r.out;
        for (double v : rms) EXPECT_LT(v, 1.0) << shape << "\n" << r.out;
        // The plot goes through the imaging component: a PNG file of the plot's size.
        std::ifstream file(png, std::ios::binary);
        unsigned char head[24] = {};
        file.read(reinterpret_cast<char*>(head), sizeof head);
        EXPECT_EQ(0, std::memcmp(head, "\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(1000u, unsigned(head[18]) << 8 | head[19]);  // width, big-endian
    }
    std::ofstream(preset) << "Preamp: -3 dB\nFilter 1: ON PK Fc 100 Hz Gain 3 dB\n";
    const auto bad = RunHost("measure " + Servers() + " --eq-preset " + Q(preset));
    EXPECT_NE(0u, bad.exitCode);
    EXPECT_NE(std::string::npos, bad.err.find("line 2: a filter is")) << bad.err;
}

TEST(HostMeasure, CompareTellsIdenticalRunsFromDifferentSets) {
    const auto same = RunHost("compare " + Servers() + " --seconds 1 --enable Environment --enable Equalizer "
                              "--set Equalizer.band6=6 --repeat 3");
    EXPECT_EQ(0u, same.exitCode) << same.out << same.err;
    EXPECT_NE(std::string::npos, same.out.find("3 runs from a fresh lock, outputs bit-identical")) << same.out;
    const auto sets = RunHost("compare " + Servers() + " --seconds 1 --enable Equalizer --set Equalizer.band6=6 --vs "
                              "--enable Equalizer --set Equalizer.band6=-6");
    ASSERT_EQ(0u, sets.exitCode) << sets.err;
    // A +6 against a -6 dB band at 1 kHz: 12 dB apart at its centre.
    const size_t at = sets.out.find("largest spectral difference: ");
    ASSERT_NE(std::string::npos, at) << sets.out;
    EXPECT_NEAR(-12.0, std::atof(sets.out.c_str() + at + 29), 0.5) << sets.out;
}
