// The host tool's building blocks: WAV files, output levels, PNG checksums and the
// command line. Spectra, the test signal and the PNG layout are checked end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/HostOptions.h"
#include "host/OutputLevels.h"
#include "host/PngWriter.h"
#include "host/WavFile.h"

using namespace qx::host;

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
        {"odd chunk before fmt", Wave({{"junk", {1, 2, 3}}, Fmt(1, 2, 16), {"data", stereo16}}), SampleFormat::Pcm16, 2,
         stereo16Values, ""},
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
        {{}, 0, "-inf dBFS"},
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
        {{"--frobnicate"}, "unknown option"},
    };
    for (const auto& c : cases) {
        HostOptions o;
        std::string error;
        EXPECT_FALSE(Parse(c.args, o, error)) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_FALSE(error.empty());
        EXPECT_NE(std::string::npos, error.find(c.says)) << error;
    }
}
