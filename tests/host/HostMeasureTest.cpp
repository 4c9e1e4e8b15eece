// qxhost's analysis modes end to end: a published preset fitted and measured through
// the global processor, and compare's verdicts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tests/host/HostRunner.h"

using qx::test::Q;
using qx::test::RunHost;
using qx::test::Servers;

namespace {
// The figure that follows each occurrence of `label` in `out`.
std::vector<double> FiguresAfter(const std::string& out, const std::string& label) {
    std::vector<double> figures;
    for (size_t at = out.find(label); at != std::string::npos; at = out.find(label, at + 1))
        figures.push_back(std::atof(out.c_str() + at + label.size()));
    return figures;
}
}  // namespace

// Through the converter too: the processors run the components at 48000 Hz whatever the
// stream's rate.
TEST(HostMeasure, AFittedPresetMeasuresWithinOneDecibelOfItsTarget) {
    qx::test::ScratchFolder scratch;
    const std::string preset = Q(qx::test::SourceFile("docs/presets/headphone-example.txt"));
    const std::string png = scratch.Path("response.png");
    for (const char* shape : {"--rate 48000 --channels 2", "--rate 96000 --channels 6"}) {
        const auto r = RunHost("measure " + Servers() + " --eq-preset " + preset + " --png " + Q(png) + " " + shape);
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_NE(std::string::npos, r.out.find("preamp the preset asks for: -6.2 dB")) << r.out;
        const std::vector<double> rms = FiguresAfter(r.out, "against the preset's target: ");
        ASSERT_FALSE(rms.empty()) << r.out;
        for (double v : rms) EXPECT_LT(v, 1.0) << shape << "\n" << r.out;
        // The plot goes through the imaging component: a PNG file of the plot's size.
        std::ifstream file(png, std::ios::binary);
        unsigned char head[24] = {};
        file.read(reinterpret_cast<char*>(head), sizeof head);
        EXPECT_EQ(0, std::memcmp(head, "\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(1000u, unsigned(head[18]) << 8 | head[19]);  // width, big-endian
    }
    const auto bad = RunHost("measure " + Servers() + " --eq-preset " +
                             scratch.Save("bad.txt", "Preamp: -3 dB\nFilter 1: ON PK Fc 100 Hz Gain 3 dB\n"));
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
    const std::vector<double> difference = FiguresAfter(sets.out, "largest spectral difference: ");
    ASSERT_EQ(1u, difference.size()) << sets.out;
    EXPECT_NEAR(-12.0, difference[0], 0.5) << sets.out;
}
