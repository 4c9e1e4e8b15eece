#include "host/WavFile.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace qx::host {

namespace {
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
// The tail shared by the PCM and float sub-format GUIDs of extensible headers.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The usual speaker masks by channel count.
constexpr uint32_t kChannelMasks[kMaxWavChannels + 1] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};

struct FormatInfo {
    SampleFormat format;
    const char* name;
    const char* option;
    uint16_t tag;
    uint16_t bits;
    double steps;  // PCM: the steps from 0 to full scale; float: 0
};
// In the order of SampleFormat, which indexes it.
constexpr FormatInfo kFormats[] = {
    {SampleFormat::Pcm8, "PCM 8-bit", "pcm8", kTagPcm, 8, 128.0},
    {SampleFormat::Pcm16, "PCM 16-bit", "pcm16", kTagPcm, 16, 32768.0},
    {SampleFormat::Pcm24, "PCM 24-bit", "pcm24", kTagPcm, 24, 8388608.0},
    {SampleFormat::Pcm32, "PCM 32-bit", "pcm32", kTagPcm, 32, 2147483648.0},
    {SampleFormat::Float32, "float 32-bit", "float", kTagFloat, 32, 0.0},
};

constexpr bool InEnumOrder() {
    for (size_t i = 0; i < sizeof kFormats / sizeof kFormats[0]; ++i)
        if (size_t(kFormats[i].format) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "kFormats is indexed by SampleFormat");

const FormatInfo& Info(SampleFormat f) { return kFormats[size_t(f)]; }

bool Fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

uint32_t Le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}
void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

double DecodeSample(const uint8_t* p, SampleFormat f) {
    switch (f) {
    case SampleFormat::Pcm8: return (int(p[0]) - 128) / 128.0;  // unsigned, 128 is silence
    case SampleFormat::Pcm16: return int16_t(Le(p, 2)) / 32768.0;
    case SampleFormat::Pcm24: return int32_t(Le(p, 3) << 8) / 2147483648.0;
    case SampleFormat::Pcm32: return int32_t(Le(p, 4)) / 2147483648.0;
    default: {
        const uint32_t bits = Le(p, 4);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    }
}

void EncodeSample(std::vector<uint8_t>& out, double s, SampleFormat f) {
    const double q = Quantize(s, f);
    switch (f) {
    case SampleFormat::Pcm8: out.push_back(uint8_t(int(q * 128.0) + 128)); break;
    case SampleFormat::Pcm16: PutLe(out, uint32_t(int32_t(q * 32768.0)), 2); break;
    case SampleFormat::Pcm24: PutLe(out, uint32_t(int32_t(q * 8388608.0)), 3); break;
    case SampleFormat::Pcm32: PutLe(out, uint32_t(int32_t(q * 2147483648.0)), 4); break;
    default: {
        const float v = float(q);
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        PutLe(out, bits, 4);
        break;
    }
    }
}

// Works out the sample format of a fmt chunk; false with the reason otherwise.
bool ParseFmt(const uint8_t* p, uint32_t size, WavAudio& audio, uint32_t& blockAlign, std::string& error) {
    if (size < 16) return Fail(error, "fmt chunk too short");
    uint16_t tag = uint16_t(Le(p, 2));
    const uint32_t channels = Le(p + 2, 2), rate = Le(p + 4, 4), bits = Le(p + 14, 2);
    blockAlign = Le(p + 12, 2);
    if (tag == kTagExtensible) {
        if (size < 40 || Le(p + 16, 2) < 22) return Fail(error, "extensible fmt chunk too short");
        if (std::memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
            return Fail(error, "unsupported extensible sub-format");
        tag = uint16_t(Le(p + 24, 2));
    }
    if (channels == 0) return Fail(error, "no channels");
    if (channels > kMaxWavChannels)
        return Fail(error, std::to_string(channels) + " channels; at most 8 are supported");
    if (rate < 1000 || rate > 768000) return Fail(error, "unsupported sample rate " + std::to_string(rate));
    bool found = false;
    for (const FormatInfo& f : kFormats)
        if (f.tag == tag && f.bits == bits) {
            audio.format = f.format;
            found = true;
        }
    if (!found)
        return Fail(error, "unsupported sample format (tag " + std::to_string(tag) + ", " + std::to_string(bits) +
                       " bits); PCM 8/16/24/32-bit and 32-bit float are supported");
    if (blockAlign != channels * bits / 8) return Fail(error, "inconsistent block align " + std::to_string(blockAlign));
    audio.channels = channels;
    audio.rate = rate;
    return true;
}

std::string Hex32(uint32_t v) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(v >> shift) & 0xF];
    return text;
}

// How many bytes of the data chunk to read. A size of 0 or 0xFFFFFFFF is what a
// recording still being streamed carries, and a size beyond the end of the file is what a
// copy cut short carries: both read the whole frames that are there and say so in
// `warning`. An exact size must hold whole frames.
bool DataBytes(uint32_t announced, size_t available, uint32_t blockAlign, size_t& bytes, std::string& error,
               std::string* warning) {
    const bool placeholder = announced == 0 || announced == 0xFFFFFFFF;
    if (!placeholder && announced <= available) {
        if (announced % blockAlign != 0) return Fail(error, "truncated data: the last frame is incomplete");
        bytes = announced;
        return true;
    }
    bytes = available - available % blockAlign;
    const std::string what = "the data chunk announces " + (placeholder ? Hex32(announced) : std::to_string(announced)) +
                             " bytes, the file holds " + std::to_string(available);
    if (bytes == 0) return Fail(error, placeholder ? "no audio frames" : "truncated data: " + what + ", not one whole frame");
    if (warning) {
        *warning = what + "; read the " + std::to_string(bytes / blockAlign) + " whole frames there";
        if (bytes != available) *warning += " and ignored " + std::to_string(available - bytes) + " bytes after them";
    }
    return true;
}
}  // namespace

const char* FormatName(SampleFormat format) { return Info(format).name; }

bool ParseFormatName(const std::string& text, SampleFormat& format) {
    for (const FormatInfo& f : kFormats)
        if (text == f.option) {
            format = f.format;
            return true;
        }
    return false;
}

double Quantize(double s, SampleFormat f) {
    if (f == SampleFormat::Float32) return double(float(s));
    const double steps = Info(f).steps;
    if (!(s == s)) return 0;  // NaN
    const double q = std::nearbyint(s * steps);
    if (q >= steps) return (steps - 1) / steps;
    if (q < -steps) return -1.0;
    return q / steps;
}

bool DecodeWav(const std::vector<uint8_t>& bytes, WavAudio& audio, std::string& error, std::string* warning) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return Fail(error, "not a RIFF/WAVE file");
    bool haveFmt = false;
    uint32_t blockAlign = 0;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        const uint32_t size = Le(chunk + 4, 4);
        const size_t available = bytes.size() - pos - 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > available) return Fail(error, "truncated fmt chunk");
            if (!ParseFmt(chunk + 8, size, audio, blockAlign, error)) return false;
            haveFmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFmt) return Fail(error, "data chunk before fmt chunk");
            size_t dataBytes = 0;
            if (!DataBytes(size, available, blockAlign, dataBytes, error, warning)) return false;
            const size_t count = dataBytes / (blockAlign / audio.channels);
            audio.samples.resize(count);
            const uint32_t width = blockAlign / audio.channels;
            for (size_t i = 0; i < count; ++i) audio.samples[i] = DecodeSample(chunk + 8 + i * width, audio.format);
            return true;
        }
        pos += 8 + size_t(size) + (size & 1);  // chunks are padded to even sizes
    }
    return Fail(error, haveFmt ? "no data chunk" : "no fmt chunk");
}

bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error, std::string* warning) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(error, "cannot open " + path);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!DecodeWav(bytes, audio, error, warning)) return Fail(error, path + ": " + error);
    if (warning && !warning->empty()) *warning = path + ": " + *warning;
    return true;
}

std::vector<uint8_t> EncodeWav(const WavAudio& audio) {
    const FormatInfo& f = Info(audio.format);
    const bool extensible = audio.channels > 2;
    const uint32_t blockAlign = audio.channels * f.bits / 8;
    const uint32_t dataBytes = uint32_t(audio.Frames() * blockAlign);
    const uint32_t fmtBytes = extensible ? 40 : 16;
    std::vector<uint8_t> out;
    out.reserve(44 + 24 + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, 4 + 8 + fmtBytes + 8 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, fmtBytes, 4);
    PutLe(out, extensible ? kTagExtensible : f.tag, 2);
    PutLe(out, audio.channels, 2);
    PutLe(out, audio.rate, 4);
    PutLe(out, audio.rate * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, f.bits, 2);
    if (extensible) {
        PutLe(out, 22, 2);
        PutLe(out, f.bits, 2);  // valid bits
        PutLe(out, audio.channels <= kMaxWavChannels ? kChannelMasks[audio.channels] : 0, 4);
        PutLe(out, f.tag, 2);
        out.insert(out.end(), kSubFormatTail, kSubFormatTail + sizeof kSubFormatTail);
    }
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (size_t i = 0; i < audio.Frames() * audio.channels; ++i) EncodeSample(out, audio.samples[i], audio.format);
    return out;
}

bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string& error) {
    const std::vector<uint8_t> bytes = EncodeWav(audio);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(error, "cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) return Fail(error, "cannot write " + path);
    return true;
}

}  // namespace qx::host
