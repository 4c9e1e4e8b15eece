// qxhost.exe end to end: known WAV files in, the expected WAV files out, and the errors
// a user can make; its analysis modes: a published preset fitted and measured through the
// global processor, and compare's verdicts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/WavFile.h"
#include "tests/host/HostRunner.h"

using qx::host::SampleFormat;
using qx::host::WavAudio;
using qx::test::Q;
using qx::test::ReadWav;
using qx::test::RunHost;
using qx::test::ScratchFolder;
using qx::test::Servers;
using qx::test::WriteWav;

namespace {
// Channel c carries a tone of its own frequency, so channels can be told apart.
WavAudio Tones(uint32_t rate, uint32_t channels, double seconds, SampleFormat format = SampleFormat::Float32) {
    WavAudio a;
    a.rate = rate;
    a.channels = channels;
    a.format = format;
    const size_t frames = size_t(seconds * rate);
    a.samples.resize(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c)
            a.samples[i * channels + c] =
                qx::host::Quantize(0.2 * std::sin(2 * 3.14159265358979 * 110.0 * (c + 1) * double(i) / rate), format);
    return a;
}

std::vector<double> Channel(const WavAudio& a, uint32_t c) {
    std::vector<double> x;
    for (size_t i = 0; i < a.Frames(); ++i) x.push_back(a.samples[i * a.channels + c]);
    return x;
}

double Rms(const std::vector<double>& x) {
    double s = 0;
    for (double v : x) s += v * v;
    return x.empty() ? 0 : std::sqrt(s / double(x.size()));
}

// The figure that follows each occurrence of `label` in `out`.
std::vector<double> FiguresAfter(const std::string& out, const std::string& label) {
    std::vector<double> figures;
    for (size_t at = out.find(label); at != std::string::npos; at = out.find(label, at + 1))
        figures.push_back(std::atof(out.c_str() + at + label.size()));
    return figures;
}

size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}
}  // namespace

// Plain headers (one and two channels) and extensible ones (more) are written and read
// back; -1 is the one sample at or beyond full scale, float's 1.0 the second.
TEST(HostEndToEnd, WithNothingEnabledEveryFormatPassesThroughBitExact) {
    ScratchFolder dir;
    for (const auto& [f, channels] : {std::pair{SampleFormat::Pcm8, 1u}, std::pair{SampleFormat::Pcm16, 2u},
                                      std::pair{SampleFormat::Pcm24, 6u}, std::pair{SampleFormat::Pcm32, 8u},
                                      std::pair{SampleFormat::Float32, 2u}}) {
        SCOPED_TRACE(qx::host::FormatName(f));
        WavAudio in = Tones(44100, channels, 0.25, f);
        in.samples[0] = -1.0;  // the extremes survive too
        in.samples[1] = qx::host::Quantize(1.0, f);
        WriteWav(dir.Path("in.wav"), in);
        const auto r = RunHost("--in " + Q(dir.Path("in.wav")) + " --out " + Q(dir.Path("out.wav")) + " " + Servers());
        ASSERT_EQ(0u, r.exitCode) << r.err;
        const WavAudio out = ReadWav(dir.Path("out.wav"));
        EXPECT_EQ(f, out.format);
        EXPECT_EQ(in.rate, out.rate);
        EXPECT_EQ(in.channels, out.channels);
        EXPECT_EQ(in.samples, out.samples);
        const std::string clipped = "clipped: " + std::to_string(f == SampleFormat::Float32 ? 2 : 1) + " of " +
                                    std::to_string(in.samples.size()) + " output samples";
        for (const std::string& expected : {std::string("0 processed"), clipped, std::string("peak 0.00 dBFS"),
                                            std::string("QXAPOMain.dll: can unload"), std::string("QXSampleFX.dll: can unload")})
            EXPECT_NE(std::string::npos, r.out.find(expected)) << expected << "\n" << r.out;
    }
}

// With four output channels there is no subwoofer to swap with: the first four channels
// of the six come out as they went in.
TEST(HostEndToEnd, FourOutputChannelsLeaveNothingForTheCenterSubwooferSwap) {
    ScratchFolder dir;
    const WavAudio in = Tones(48000, 6, 0.2);
    WriteWav(dir.Path("in.wav"), in);
    const auto r = RunHost("--in " + Q(dir.Path("in.wav")) + " --out " + Q(dir.Path("four.wav")) +
                           " --out-channels 4 --enable \"Swap Center and Subwoofer\" " + Servers());
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const WavAudio out = ReadWav(dir.Path("four.wav"));
    ASSERT_EQ(4u, out.channels);
    for (uint32_t c = 0; c < 4; ++c) EXPECT_EQ(Channel(in, c), Channel(out, c)) << "channel " << c;
}

// The demo chain on the test signal at 96000 Hz with six channels, switched on half way:
// nothing to do in the first half, the equaliser and the environment in the second.
TEST(HostEndToEnd, DemoChainSwitchedOnHalfWayAtNinetySixKilohertzWithSixChannels) {
    ScratchFolder dir;
    const auto r = RunHost("--rate 96000 --channels 6 --seconds 1 --change 0.5:Equalizer.enable=1 --change "
                           "0.5:Environment.enable=1 --set Equalizer.band2=6 --set \"Environment.preset=Concert hall\" "
                           "--out " + Q(dir.Path("out.wav")) + " --png " + Q(dir.Path("plot.png")) + " " + Servers());
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const WavAudio out = ReadWav(dir.Path("out.wav"));
    EXPECT_EQ(96000u, out.rate);
    EXPECT_EQ(6u, out.channels);
    EXPECT_EQ(96000u, out.Frames());
    for (uint32_t c = 0; c < 6; ++c) EXPECT_GT(Rms(Channel(out, c)), 0.01) << c;
    for (const char* expected : {"present: Equalizer", "960 frames", "cost per period", "50 processed, 50 passed through",
                                 "changes: 2 reported"})
        EXPECT_NE(std::string::npos, r.out.find(expected)) << expected << "\n" << r.out;

    std::ifstream png(dir.Path("plot.png"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), bytes.substr(0, 8));
}

// Files the tool cannot read, and a wrong option, as a user meets them: one line, a
// non-zero exit. Every other file and option error is a case of the reader's or the
// option parser's own table. A recording still streaming (its data size 0xFFFFFFFF) is
// read with one line of warning.
TEST(HostEndToEnd, FileTroubleAndBadOptionsGiveOneLine) {
    ScratchFolder dir;
    std::vector<uint8_t> good = qx::host::EncodeWav(Tones(48000, 2, 0.1, SampleFormat::Pcm16));
    const std::string truncated(good.begin(), good.begin() + 46);  // cut inside its first frame of data
    for (size_t i = 40; i < 44; ++i) good[i] = 0xFF;
    const struct {
        std::string args;
        DWORD exit;
        const char* says;
    } cases[] = {
        {"--in " + Q(dir.Path("missing.wav")), 1, "cannot open"},
        {"--in " + dir.Save("truncated.wav", truncated), 1, "truncated"},
        {"--in " + dir.Save("streamed.wav", std::string(good.begin(), good.end())), 0, "read the 4800 whole frames"},
        {"--enable \"Dolby Surround\"", 2, "not run by QXGFXLib"},
        {"--in", 2, "needs a value"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.args);
        const auto r = RunHost("--out " + Q(dir.Path("out.wav")) + " " + Servers() + " " + k.args);
        EXPECT_EQ(k.exit, r.exitCode);
        EXPECT_EQ(1u, Lines(r.err)) << r.err;
        EXPECT_EQ(0u, r.err.find(k.exit ? "qxhost: error: " : "qxhost: warning: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(k.says)) << r.err;
    }
}

// Through the converter too: the processors run the components at 48000 Hz whatever the
// stream's rate.
TEST(HostMeasure, AFittedPresetMeasuresWithinOneDecibelOfItsTarget) {
    ScratchFolder scratch;
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
