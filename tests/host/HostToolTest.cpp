// The host tool qxhost: its building blocks (WAV files, output levels, PNG checksums, the
// command line), then the program end to end: known WAV files in, the expected WAV files
// out, and the errors a user can make; and its analysis modes, a published preset fitted
// and measured through the global processor, and compare's verdicts. Spectra, the test
// signal and the PNG layout are checked end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/HostOptions.h"
#include "host/OutputLevels.h"
#include "host/PngWriter.h"
#include "host/WavFile.h"
#include "tests/host/HostRunner.h"

using namespace qx::host;
using namespace qx::test;

namespace {
std::vector<uint8_t> Le(uint32_t v, int bytes) {
    std::vector<uint8_t> b;
    for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return b;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> b;
    for (const auto& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

// A chunk as a test writes it: the size field may say something other than the body's
// length. Odd bodies get their pad byte.
struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
    int64_t size = -1;  // -1: the body's length
};

std::vector<uint8_t> Wave(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        b.insert(b.end(), c.id.begin(), c.id.end());
        b = Cat({b, Le(uint32_t(c.size < 0 ? int64_t(c.body.size()) : c.size), 4), c.body});
        if (c.body.size() % 2) b.push_back(0);
    }
    const std::vector<uint8_t> riffSize = Le(uint32_t(b.size() - 8), 4);
    std::copy(riffSize.begin(), riffSize.end(), b.begin() + 4);
    return b;
}

// A fmt chunk; block align 0 means channels x bits / 8.
Chunk Fmt(uint16_t tag, uint16_t channels, uint16_t bits, std::vector<uint8_t> extension = {}, uint16_t align = 0,
          uint32_t rate = 8000) {
    if (!align) align = uint16_t(channels * bits / 8);
    return {"fmt ", Cat({Le(tag, 2), Le(channels, 2), Le(rate, 4), Le(rate * align, 4), Le(align, 2), Le(bits, 2),
                         extension})};
}

// An extensible fmt chunk whose sub-format is {0000000<subTag>-0000-0010-8000-00AA00389B71}.
Chunk Ext(uint16_t channels, uint16_t bits, uint16_t subTag) {
    const std::vector<uint8_t> guidRest = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    return Fmt(0xFFFE, channels, bits, Cat({Le(22, 2), Le(bits, 2), Le(0, 4), Le(subTag, 2), guidRest}));
}

bool Parse(std::vector<const char*> args, HostOptions& o, std::string& error) {
    args.insert(args.begin(), "qxhost");
    return ParseHostOptions(int(args.size()), args.data(), o, error);
}

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
                Quantize(0.2 * std::sin(2 * 3.14159265358979 * 110.0 * (c + 1) * double(i) / rate), format);
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

}  // namespace

TEST(WavFile, QuantizeClipsAndRoundsToTheFormatsSteps) {
    EXPECT_DOUBLE_EQ(32767.0 / 32768, Quantize(1.5, SampleFormat::Pcm16));
    EXPECT_DOUBLE_EQ(-1.0, Quantize(-2.0, SampleFormat::Pcm24));
    EXPECT_DOUBLE_EQ(1.0 / 32768, Quantize(1.4 / 32768, SampleFormat::Pcm16));
    EXPECT_DOUBLE_EQ(0.0, Quantize(NAN, SampleFormat::Pcm32));
    EXPECT_DOUBLE_EQ(1.5, Quantize(1.5, SampleFormat::Float32));  // float keeps overs
}

TEST(WavFile, ReadsWhatCommonToolsWriteAndRefusesTheRest) {
    const std::vector<uint8_t> mono16 = {0x00, 0x80, 0xFF, 0x7F};  // -1, 32767/32768
    const std::vector<uint8_t> stereo16 = {0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40, 0x00, 0x00};
    const std::vector<double> stereo16Values = {-1.0, 32767.0 / 32768, 0.5, 0.0};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        SampleFormat format;
        uint32_t channels;
        std::vector<double> samples;  // empty: refused
        const char* says;             // in the warning when accepted, in the error when refused
    };
    const Case cases[] = {
        {"8-bit unsigned", Wave({Fmt(1, 1, 8), {"data", {0x00, 0x80, 0xFF, 0x40}}}), SampleFormat::Pcm8, 1,
         {-1.0, 0.0, 127.0 / 128, -0.5}, ""},
        {"odd 8-bit data, pad byte, a chunk after",
         Wave({Fmt(1, 1, 8), {"data", {0xC0, 0x80, 0x00}}, {"LIST", {'a', 'b', 'c'}}}), SampleFormat::Pcm8, 1,
         {0.5, 0.0, -1.0}, ""},
        {"fmt with an empty extension", Wave({Fmt(1, 2, 16, {0, 0}), {"data", stereo16}}), SampleFormat::Pcm16, 2,
         stereo16Values, ""},
        {"streamed: size 0xFFFFFFFF", Wave({Fmt(1, 2, 16), {"data", stereo16, 0xFFFFFFFF}}), SampleFormat::Pcm16, 2,
         stereo16Values, "0xFFFFFFFF"},
        {"streamed: size 0", Wave({Fmt(1, 2, 16), {"data", stereo16, 0}}), SampleFormat::Pcm16, 2, stereo16Values,
         "read the 2 whole frames"},
        {"2 GB announced, cut inside a frame", Wave({Fmt(1, 2, 16), {"data", Cat({stereo16, {1, 2}}), 0x80000000}}),
         SampleFormat::Pcm16, 2, stereo16Values, "ignored 2 bytes"},
        {"extensible 24-bit PCM", Wave({Ext(1, 24, 1), {"data", {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F}}}),
         SampleFormat::Pcm24, 1, {-1.0, 8388607.0 / 8388608}, ""},
        {"extensible float", Wave({Ext(2, 32, 3), {"data", {0, 0, 0, 0x3F, 0, 0, 0x80, 0xBF}}}), SampleFormat::Float32,
         2, {0.5, -1.0}, ""},
        {"extensible 8-bit PCM", Wave({Ext(1, 8, 1), {"data", {0xFF}}}), SampleFormat::Pcm8, 1, {127.0 / 128}, ""},

        {"not RIFF", {'R', 'I', 'F', 'F'}, {}, 0, {}, "not a RIFF/WAVE file"},
        {"exact size, part of a frame", Wave({Fmt(1, 1, 16), {"data", {1, 2, 3}}}), {}, 0, {}, "incomplete"},
        {"cut inside the first frame", Wave({Fmt(1, 2, 16), {"data", {1, 2}, 100}}), {}, 0, {}, "truncated"},
        {"streamed, no whole frame", Wave({Fmt(1, 2, 16), {"data", {1, 2}, 0xFFFFFFFF}}), {}, 0, {}, "no audio frames"},
        {"data before fmt", Wave({{"data", mono16}, Fmt(1, 1, 16)}), {}, 0, {}, "before fmt"},
        {"no data chunk", Wave({Fmt(1, 1, 16), {"dat_", mono16}}), {}, 0, {}, "no data chunk"},
        {"no fmt chunk", Wave({{"LIST", {}}}), {}, 0, {}, "no fmt chunk"},
        {"fmt cut short", Cat({Wave({}), {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0}}), {}, 0, {}, "truncated fmt"},
        {"12-bit PCM", Wave({Fmt(1, 1, 12, {}, 2), {"data", mono16}}), {}, 0, {}, "unsupported sample format"},
        {"16-bit float", Wave({Fmt(3, 1, 16), {"data", mono16}}), {}, 0, {}, "unsupported sample format"},
        {"extensible ADPCM", Wave({Ext(1, 16, 2), {"data", mono16}}), {}, 0, {}, "unsupported sample format"},
        {"extensible, foreign sub-format GUID",
         Wave({Fmt(0xFFFE, 1, 16, Cat({Le(22, 2), Le(16, 2), Le(0, 4), Le(1, 2), std::vector<uint8_t>(14)})),
               {"data", mono16}}),
         {}, 0, {}, "sub-format"},
        {"9 channels", Wave({Fmt(1, 9, 16), {"data", std::vector<uint8_t>(18)}}), {}, 0, {}, "at most 8"},
        {"no channels", Wave({Fmt(1, 0, 16), {"data", mono16}}), {}, 0, {}, "no channels"},
        {"rate 10", Wave({Fmt(1, 1, 16, {}, 2, 10), {"data", mono16}}), {}, 0, {}, "sample rate"},
        {"block align 3", Wave({Fmt(1, 1, 16, {}, 3), {"data", mono16}}), {}, 0, {}, "block align"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavAudio a;
        std::string error, warning;
        const bool ok = DecodeWav(c.bytes, a, error, &warning);
        ASSERT_EQ(!c.samples.empty(), ok) << error;
        if (!ok) {
            EXPECT_NE(std::string::npos, error.find(c.says)) << error;
            continue;
        }
        EXPECT_EQ(c.format, a.format);
        EXPECT_EQ(c.channels, a.channels);
        EXPECT_EQ(c.samples, a.samples);
        EXPECT_EQ(*c.says == 0, warning.empty()) << warning;
        EXPECT_NE(std::string::npos, warning.find(c.says)) << warning;
    }
}

TEST(OutputLevels, CountsSamplesAtOrBeyondFullScaleAndFindsThePeak) {
    struct Case {
        std::vector<double> samples;
        size_t clipped;
        const char* peak;
    };
    const Case cases[] = {
        {{0.0, -0.0}, 0, "-inf dBFS"},
        {{0.5, -0.25}, 0, "-6.02 dBFS"},
        {{0.999, -1.0, 1.0, 0.1}, 2, "0.00 dBFS"},
        {{2.0, NAN, 0.1}, 2, "6.02 dBFS"},
    };
    for (const Case& c : cases) {
        const OutputLevels levels = MeasureLevels(c.samples);
        EXPECT_EQ(c.clipped, levels.clipped);
        EXPECT_EQ(c.peak, PeakDbfs(levels.peak));
    }
}

TEST(PngWriter, ChecksumsMatchTheirKnownValues) {
    const uint8_t iend[] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(0xAE426082u, Crc32(iend, 4));
    const char* wiki = "Wikipedia";
    EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const uint8_t*>(wiki), std::strlen(wiki)));
}

// Effects and keys as the settings name them, in any case, with the values encoded as
// the store holds them; each processor's own endpoint without --form-factor. Rates,
// channels, changes during the stream and signed bands are checked end to end.
TEST(HostOptionsTest, NamesEffectsAndKeysAsTheSettingsDo) {
    HostOptions o, lfx, mic;
    std::string error;
    ASSERT_TRUE(Parse({"--enable", "smart volume", "--set", "environment.preset=Concert Hall", "--set",
                       "Eq15.bands=1,1000,6,2/0,50,-12", "--period", "5", "--form-factor", "headphones"},
                      o, error))
        << error;
    ASSERT_EQ(1u, o.enabled.size());
    EXPECT_EQ(qx::settings::EffectSmartVolume, o.enabled[0]->id);
    ASSERT_EQ(2u, o.settings.size());
    EXPECT_EQ(8u, o.settings[0].value);
    ASSERT_EQ(240u, o.settings[1].blob.size());
    const auto second = qx::settings::DecodeFilterRecord(o.settings[1].blob.data() + 16);
    EXPECT_EQ(50u, second.frequency);
    EXPECT_EQ(-12, second.gain);
    EXPECT_EQ(1.0f, second.q);
    EXPECT_EQ(5.0, o.periodMs);
    EXPECT_EQ(3u, o.formFactor);
    EXPECT_TRUE(Parse({"--processor", "lfx", "--enable", "Dolby Surround"}, lfx, error)) << error;
    EXPECT_EQ(1u, lfx.formFactor);
    EXPECT_TRUE(Parse({"--processor", "mic", "--enable", "Noise Reduction"}, mic, error)) << error;
    EXPECT_EQ(4u, mic.formFactor);
}

TEST(HostOptionsTest, RefusesWhatTheSettingsCannotHold) {
    const struct {
        std::vector<const char*> args;
        const char* says;  // part of the message
    } cases[] = {
        {{"--set", "FlexBass.cutoff=49"}, ""},         {{"--set", "FlexBass.cutoff=251"}, ""},
        {{"--set", "Equalizer.enable=2"}, ""},         {{"--set", "Equalizer.band4"}, ""},
        {{"--set", "Equalizer.band4=six"}, ""},        {{"--set", "Equalizer.band4=30"}, "out of range -20..20"},
        {{"--set", "Equalizer.band11=1"}, "unknown setting"},
        {{"--set", "Eq15.bass=1,100"}, "on,frequency,gain"},
        {{"--set", "Eq15.bass=1,100,13"}, ""},         {{"--set", "Eq15.bass=1,100,6,11"}, ""},
        {{"--set", "Eq15.bass=1,100,6/1,100,6"}, ""},  {{"--set", "Environment.preset=Moon"}, ""},
        {{"--enable", "Smart"}, ""},                   {{"--enable", "Reverb"}, "unknown effect"},
        {{"--processor", "xyz"}, ""},                  {{"--form-factor", "radio"}, ""},
        {{"--out-format", "pcm12"}, ""},               {{"--change", "x:Equalizer.enable=1"}, ""},
        {{"--seconds", "-1"}, ""},                     {{"--rate", "44100.5"}, ""},
        {{"--channels", "9"}, "--channels"},           {{"--period", "0"}, "--period"},
        {{"--frobnicate"}, "unknown option"},         {{"--enable", "Dolby Surround"}, "not run by QXGFXLib"},
    };
    for (const auto& c : cases) {
        HostOptions o;
        std::string error;
        EXPECT_FALSE(Parse(c.args, o, error)) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_FALSE(error.empty());
        EXPECT_NE(std::string::npos, error.find(c.says)) << error;
    }
}

// Plain headers (one and two channels) and extensible ones (more) are written and read
// back; -1 is the one sample at or beyond full scale, float's 1.0 the second.
TEST(HostEndToEnd, WithNothingEnabledEveryFormatPassesThroughBitExact) {
    ScratchFolder dir;
    for (const auto& [f, channels] : {std::pair{SampleFormat::Pcm8, 1u}, std::pair{SampleFormat::Pcm16, 2u},
                                      std::pair{SampleFormat::Pcm24, 6u}, std::pair{SampleFormat::Pcm32, 8u},
                                      std::pair{SampleFormat::Float32, 2u}}) {
        SCOPED_TRACE(FormatName(f));
        WavAudio in = Tones(44100, channels, 0.25, f);
        in.samples[0] = -1.0;  // the extremes survive too
        in.samples[1] = Quantize(1.0, f);
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

// A file the tool cannot read, and wrong options, as a user meets them: one line, a
// non-zero exit. Every other file and option error is a case of the reader's or the
// option parser's own table. A recording still streaming (its data size 0xFFFFFFFF) is
// read with one line of warning.
TEST(HostEndToEnd, FileTroubleAndBadOptionsGiveOneLine) {
    ScratchFolder dir;
    std::vector<uint8_t> streamed = EncodeWav(Tones(48000, 2, 0.1, SampleFormat::Pcm16));
    for (size_t i = 40; i < 44; ++i) streamed[i] = 0xFF;
    const struct {
        std::string args;
        DWORD exit;
        const char* says;
    } cases[] = {
        {"--in " + Q(dir.Path("missing.wav")), 1, "cannot open"},
        {"--in " + dir.Save("streamed.wav", std::string(streamed.begin(), streamed.end())), 0, "read the 4800 whole frames"},
        {"--in", 2, "needs a value"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.args);
        const auto r = RunHost("--out " + Q(dir.Path("out.wav")) + " " + Servers() + " " + k.args);
        EXPECT_EQ(k.exit, r.exitCode);
        EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        EXPECT_EQ(0u, r.err.find(k.exit ? "qxhost: error: " : "qxhost: warning: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(k.says)) << r.err;
    }
}

// Through the converter too: the processors run the components at 48000 Hz whatever the
// stream's rate.
TEST(HostMeasure, AFittedPresetMeasuresWithinOneDecibelOfItsTarget) {
    ScratchFolder scratch;
    // A file of the source tree, as the programs under Wine see it (Z: is the host's root).
    const std::string preset = Q("Z:" QX_SOURCE_DIR "/docs/presets/headphone-example.txt");
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
