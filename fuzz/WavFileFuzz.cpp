// Fuzzes the host tool's WAV reader with arbitrary files.
// Input: the bytes of a file.
// Checked, besides crashes, leaks and undefined behaviour: a refused file says why; a
// file read holds whole frames of 1 to 8 channels, PCM samples lie in [-1, 1); and what
// was read, written and read again is the same audio, bit for bit, with no warning.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "host/WavFile.h"

namespace {
using qx::host::SampleFormat;
using qx::host::WavAudio;

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    WavAudio audio;
    std::string error, warning;
    if (!qx::host::DecodeWav(bytes, audio, error, &warning)) {
        Check(!error.empty());
        return 0;
    }
    Check(audio.channels >= 1 && audio.channels <= qx::host::kMaxWavChannels);
    Check(!audio.samples.empty() && audio.samples.size() % audio.channels == 0);
    if (audio.format != SampleFormat::Float32)
        for (double s : audio.samples) Check(s >= -1.0 && s < 1.0);

    WavAudio again;
    std::string againWarning;
    Check(qx::host::DecodeWav(qx::host::EncodeWav(audio), again, error, &againWarning));
    Check(againWarning.empty());
    Check(again.format == audio.format && again.rate == audio.rate && again.channels == audio.channels);
    Check(SameBits(audio.samples, again.samples));
    return 0;
}
