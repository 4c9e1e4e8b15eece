#pragma once
// The default test signal of the host tool, so it runs on a machine with no audio
// files: on every channel one second of a chord of steady tones, a logarithmic sweep
// over the audible band, a second of white noise (independent per channel), and a
// quarter second of silence at the end so that tails stay audible. Pure C++.
#include <cstdint>

#include "host/WavFile.h"

namespace qx::host {

struct TestSignalShape {
    uint32_t rate = 48000;
    uint32_t channels = 2;
    double seconds = 4.0;  // split 1 : 1.75 : 1 : 0.25 between tones, sweep, noise, silence
};

WavAudio MakeTestSignal(const TestSignalShape& shape);

// The frequencies of the steady tones.
inline constexpr double kTestTones[] = {60, 250, 1000, 4000};

}  // namespace qx::host
