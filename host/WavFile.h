#pragma once
// WAV files of the host tool: unsigned 8-bit PCM, signed PCM 16, 24 and 32 bit and 32-bit
// float, plain or extensible headers, 1 to 8 channels. Samples are held as doubles in
// [-1, 1), which carries every format exactly, so a file read and written again is
// bit-identical. Pure C++.
#include <cstdint>
#include <string>
#include <vector>

namespace qx::host {

enum class SampleFormat : uint8_t { Pcm8, Pcm16, Pcm24, Pcm32, Float32 };

const char* FormatName(SampleFormat format);  // "PCM 16-bit", ...
bool ParseFormatName(const std::string& text, SampleFormat& format);  // pcm8, pcm16, pcm24, pcm32, float

inline constexpr uint32_t kMaxWavChannels = 8;

struct WavAudio {
    uint32_t rate = 48000;
    uint32_t channels = 2;
    SampleFormat format = SampleFormat::Float32;
    std::vector<double> samples;  // interleaved frames

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

// Each returns false with a one-line reason in `error`. A file read only in part (a data
// chunk that announces no size, the streaming placeholder 0xFFFFFFFF, or more bytes than
// the file holds: its whole frames are read) succeeds with a one-line `warning`.
bool DecodeWav(const std::vector<uint8_t>& bytes, WavAudio& audio, std::string& error, std::string* warning = nullptr);
bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error, std::string* warning = nullptr);
std::vector<uint8_t> EncodeWav(const WavAudio& audio);
bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string& error);

// A float sample as the given format stores it: clipped to the format's range and
// rounded to its nearest step (float stays float).
double Quantize(double sample, SampleFormat format);

}  // namespace qx::host
