#pragma once
// The stream formats that processors hand to their effect components.
#include <windows.h>
#include <mmreg.h>

#include <cstdint>

namespace qx {

inline constexpr WORD kFormatTagPcm = 1;
inline constexpr WORD kFormatTagFloat = 3;            // WAVE_FORMAT_IEEE_FLOAT
inline constexpr WORD kFormatTagDts = 8;              // WAVE_FORMAT_DTS
inline constexpr WORD kFormatTagAc3Spdif = 146;       // WAVE_FORMAT_DOLBY_AC3_SPDIF

// A format of `bits` bits per sample, block align channels x bits / 8, no extra bytes.
inline WAVEFORMATEX MakeWaveFormat(WORD tag, uint32_t channels, uint32_t rate, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = tag;
    f.nChannels = WORD(channels);
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    f.cbSize = 0;
    return f;
}

// The planar working format: 32-bit IEEE float.
inline WAVEFORMATEX MakeFloatFormat(uint32_t channels, uint32_t rate) {
    return MakeWaveFormat(kFormatTagFloat, channels, rate, 32);
}

}  // namespace qx
