// The host tool's building blocks: WAV files, PNG encoding, spectra, the test signal and
// the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/HostOptions.h"
#include "host/PngWriter.h"
#include "host/Spectrum.h"
#include "host/TestSignal.h"
#include "host/WavFile.h"

using namespace qx::host;

namespace {
uint32_t Be(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void PutLe(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

WavAudio Ramp(SampleFormat format, uint32_t channels) {
    WavAudio a;
    a.channels = channels;
    a.format = format;
    for (int i = 0; i < 200; ++i) a.samples.push_back(Quantize(-1.0 + i / 100.0, format));
    a.samples.resize(a.samples.size() / channels * channels);
    return a;
}

std::string DecodeError(const std::vector<uint8_t>& bytes) {
    WavAudio a;
    std::string error;
    EXPECT_FALSE(DecodeWav(bytes, a, error));
    return error;
}

// Undoes the stored-block zlib stream of a PNG's IDAT chunk.
std::vector<uint8_t> Unstore(const std::vector<uint8_t>& z) {
    std::vector<uint8_t> raw;
    size_t pos = 2;
    for (bool last = false; !last;) {
        last = z[pos] & 1;
        const size_t n = z[pos + 1] | z[pos + 2] << 8;
        EXPECT_EQ(0xFFFFu, n ^ (z[pos + 3] | z[pos + 4] << 8));
        raw.insert(raw.end(), z.begin() + long(pos + 5), z.begin() + long(pos + 5 + n));
        pos += 5 + n;
    }
    EXPECT_EQ(Adler32(raw.data(), raw.size()), Be(z, pos));
    return raw;
}

bool Parse(std::vector<const char*> args, HostOptions& o, std::string& error) {
    args.insert(args.begin(), "qxhost");
    return ParseHostOptions(int(args.size()), args.data(), o, error);
}
}  // namespace

TEST(WavFile, EveryFormatRoundTripsExactlyWithPlainAndExtensibleHeaders) {
    for (SampleFormat f : {SampleFormat::Pcm16, SampleFormat::Pcm24, SampleFormat::Pcm32, SampleFormat::Float32})
        for (uint32_t channels : {1u, 2u, 6u, 8u}) {
            SCOPED_TRACE(std::string(FormatName(f)) + ", " + std::to_string(channels) + " channels");
            const WavAudio a = Ramp(f, channels);
            WavAudio b;
            std::string error;
            ASSERT_TRUE(DecodeWav(EncodeWav(a), b, error)) << error;
            EXPECT_EQ(a.samples, b.samples);
            EXPECT_EQ(a.format, b.format);
            EXPECT_EQ(a.channels, b.channels);
        }
}

TEST(WavFile, QuantizeClipsAndRoundsToTheFormatsSteps) {
    EXPECT_DOUBLE_EQ(32767.0 / 32768, Quantize(1.5, SampleFormat::Pcm16));
    EXPECT_DOUBLE_EQ(-1.0, Quantize(-2.0, SampleFormat::Pcm24));
    EXPECT_DOUBLE_EQ(1.0 / 32768, Quantize(1.4 / 32768, SampleFormat::Pcm16));
    EXPECT_DOUBLE_EQ(0.0, Quantize(NAN, SampleFormat::Pcm32));
    EXPECT_DOUBLE_EQ(1.5, Quantize(1.5, SampleFormat::Float32));  // float keeps overs
}

TEST(WavFile, SkipsOtherChunksIncludingOddSizedOnes) {
    std::vector<uint8_t> b = EncodeWav(Ramp(SampleFormat::Pcm16, 2));
    // A 3-byte LIST chunk (plus its pad byte) between fmt and data.
    const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    b.insert(b.begin() + 36, list.begin(), list.end());
    WavAudio a;
    std::string error;
    ASSERT_TRUE(DecodeWav(b, a, error)) << error;
    EXPECT_EQ(Ramp(SampleFormat::Pcm16, 2).samples, a.samples);
}

TEST(WavFile, MalformedFilesAreRefusedWithAReason) {
    const std::vector<uint8_t> good = EncodeWav(Ramp(SampleFormat::Pcm16, 2));
    auto with = [&](size_t at, uint32_t v, int bytes) {
        std::vector<uint8_t> b = good;
        PutLe(b, at, v, bytes);
        return b;
    };
    EXPECT_EQ("not a RIFF/WAVE file", DecodeError({'R', 'I', 'F', 'F'}));
    EXPECT_NE(std::string::npos, DecodeError(std::vector<uint8_t>(good.begin(), good.end() - 1)).find("truncated"));
    EXPECT_NE(std::string::npos, DecodeError(with(40, 101, 4)).find("incomplete"));     // odd data size
    EXPECT_NE(std::string::npos, DecodeError(with(22, 9, 2)).find("at most 8"));
    EXPECT_NE(std::string::npos, DecodeError(with(22, 0, 2)).find("no channels"));
    EXPECT_NE(std::string::npos, DecodeError(with(34, 8, 2)).find("unsupported sample format"));
    EXPECT_NE(std::string::npos, DecodeError(with(20, 3, 2)).find("unsupported sample format"));  // 16-bit float
    EXPECT_NE(std::string::npos, DecodeError(with(24, 10, 4)).find("sample rate"));
    EXPECT_NE(std::string::npos, DecodeError(with(32, 6, 2)).find("block align"));
    EXPECT_NE(std::string::npos, DecodeError(with(36, 0x61746164 ^ 0x20, 4)).find("no data chunk"));
    EXPECT_NE(std::string::npos, DecodeError(with(40, 0, 4)).find("no audio frames"));
    std::vector<uint8_t> noFmt = good;
    noFmt.erase(noFmt.begin() + 12, noFmt.begin() + 36);
    EXPECT_NE(std::string::npos, DecodeError(noFmt).find("before fmt"));

    std::vector<uint8_t> ext = EncodeWav(Ramp(SampleFormat::Float32, 6));
    ext[50] ^= 0xFF;  // in the tail of the sub-format GUID
    EXPECT_NE(std::string::npos, DecodeError(ext).find("sub-format"));
}

TEST(PngWriter, ChecksumsMatchTheirKnownValues) {
    const uint8_t iend[] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(0xAE426082u, Crc32(iend, 4));
    const char* wiki = "Wikipedia";
    EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const uint8_t*>(wiki), std::strlen(wiki)));
}

TEST(PngWriter, WritesHeaderAndRowsInStoredBlocks) {
    for (uint32_t size : {3u, 200u}) {  // 200 x 200 needs several stored blocks
        SCOPED_TRACE(size);
        RgbImage img(size, 2 * size, 0x102030);
        img.Set(1, 2, 0xABCDEF);
        img.Set(-1, 0, 0);  // outside: ignored
        const std::vector<uint8_t> png = EncodePng(img);
        EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(13u, Be(png, 8));
        EXPECT_EQ(0, std::memcmp(png.data() + 12, "IHDR", 4));
        EXPECT_EQ(size, Be(png, 16));
        EXPECT_EQ(2 * size, Be(png, 20));
        EXPECT_EQ(Crc32(png.data() + 12, 17), Be(png, 29));
        const uint32_t idatSize = Be(png, 33);
        EXPECT_EQ(0, std::memcmp(png.data() + 37, "IDAT", 4));
        const std::vector<uint8_t> raw = Unstore(std::vector<uint8_t>(png.begin() + 41, png.begin() + 41 + idatSize));
        ASSERT_EQ((size * 3 + 1) * 2 * size, raw.size());
        const size_t at = 2 * (size * 3 + 1) + 1 + 3;  // row 2, after the filter byte, pixel 1
        EXPECT_EQ(0xAB, raw[at]);
        EXPECT_EQ(0xEF, raw[at + 2]);
        EXPECT_EQ(0, raw[0]);
        EXPECT_EQ(0x10, raw[1]);
        EXPECT_EQ(0, std::memcmp(png.data() + png.size() - 8, "IEND", 4));
    }
}

TEST(Spectrum, FindsATonesLevelAndFrequency) {
    std::vector<double> x(2 * 48000);
    for (size_t i = 0; i < 48000; ++i) {
        x[2 * i] = 0.5 * std::sin(2 * 3.14159265358979 * 1000 * double(i) / 48000);
        x[2 * i + 1] = x[2 * i];
    }
    const Spectrum s = AverageSpectrum(x, 2, 48000);
    EXPECT_NEAR(-6.02, s.PeakDb(990, 1010), 1.5);  // between bins a Hann window loses up to 1.4 dB
    EXPECT_LT(s.PeakDb(3000, 20000), -80.0);
    // A signal shorter than one window still gives a spectrum.
    const Spectrum shortOne = AverageSpectrum(std::vector<double>(x.begin(), x.begin() + 2000), 2, 48000);
    EXPECT_NEAR(-6.02, shortOne.PeakDb(900, 1100), 1.5);
}

TEST(TestSignal, HasTheShapeAskedForAndStaysBelowFullScale) {
    const WavAudio a = MakeTestSignal({96000, 6, 2.0});
    EXPECT_EQ(96000u, a.rate);
    EXPECT_EQ(6u, a.channels);
    EXPECT_EQ(size_t(192000), a.Frames());
    double peak = 0;
    for (double v : a.samples) peak = std::fmax(peak, std::fabs(v));
    EXPECT_LT(peak, 1.0);
    EXPECT_GT(peak, 0.2);
    EXPECT_EQ(a.samples, MakeTestSignal({96000, 6, 2.0}).samples);  // repeatable
    // The tones are there in the first quarter.
    const Spectrum s = AverageSpectrum(std::vector<double>(a.samples.begin(), a.samples.begin() + 6 * 48000), 6, 96000);
    for (double f : kTestTones) EXPECT_GT(s.PeakDb(f - 20, f + 20), -30.0) << f;
}

TEST(HostOptionsTest, NamesEffectsAndKeysAsTheSettingsDo) {
    HostOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--enable", "Equalizer", "--enable", "smart volume", "--set", "Equalizer.band4=-6", "--set",
                       "environment.preset=Concert Hall", "--set", "Eq15.bands=1,1000,6,2/0,50,-12", "--rate", "96000",
                       "--channels", "6", "--period", "5", "--form-factor", "headphones", "--change",
                       "1.5:FlexBass.level=20"},
                      o, error))
        << error;
    ASSERT_EQ(2u, o.enabled.size());
    EXPECT_EQ(qx::settings::EffectEqualizer, o.enabled[0]->id);
    EXPECT_EQ(qx::settings::EffectSmartVolume, o.enabled[1]->id);
    ASSERT_EQ(3u, o.settings.size());
    EXPECT_EQ(0xFFFFFFFAu, o.settings[0].value);
    EXPECT_EQ(8u, o.settings[1].value);
    ASSERT_EQ(240u, o.settings[2].blob.size());
    const auto second = qx::settings::DecodeFilterRecord(o.settings[2].blob.data() + 16);
    EXPECT_EQ(50u, second.frequency);
    EXPECT_EQ(-12, second.gain);
    EXPECT_EQ(1.0f, second.q);
    EXPECT_EQ(96000u, o.rate);
    EXPECT_EQ(5.0, o.periodMs);
    EXPECT_EQ(3u, o.formFactor);
    ASSERT_EQ(1u, o.changes.size());
    EXPECT_EQ(1.5, o.changes[0].seconds);
    EXPECT_EQ(20u, o.changes[0].setting.value);

    HostOptions lfx, mic;
    EXPECT_TRUE(Parse({"--processor", "lfx", "--enable", "Dolby Surround"}, lfx, error)) << error;
    EXPECT_EQ(1u, lfx.formFactor);
    EXPECT_TRUE(Parse({"--processor", "mic", "--enable", "Noise Reduction"}, mic, error)) << error;
    EXPECT_EQ(4u, mic.formFactor);
}

TEST(HostOptionsTest, RefusesWhatTheSettingsCannotHold) {
    const std::vector<std::vector<const char*>> bad = {
        {"--set", "FlexBass.cutoff=49"},     {"--set", "FlexBass.cutoff=251"},  {"--set", "Equalizer.enable=2"},
        {"--set", "Equalizer.band4"},        {"--set", "Equalizer.band4=six"},  {"--set", "Eq15.bass=1,100,13"},
        {"--set", "Eq15.bass=1,100,6,11"},   {"--set", "Eq15.bass=1,100,6/1,100,6"},
        {"--set", "Environment.preset=Moon"}, {"--enable", "Smart"},          {"--processor", "xyz"},
        {"--form-factor", "radio"},          {"--out-format", "pcm8"},          {"--change", "x:Equalizer.enable=1"},
        {"--seconds", "-1"},                 {"--rate", "44100.5"},
    };
    for (const auto& args : bad) {
        HostOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
    }
}
