#include "host/TestSignal.h"

#include <algorithm>
#include <cmath>

namespace qx::host {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kToneLevel = 0.1;   // each of the four tones, -20 dBFS peak
constexpr double kSweepLevel = 0.25;
constexpr double kNoiseLevel = 0.2;

// A small deterministic generator, so runs and tests repeat exactly.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return double(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_;
};
}  // namespace

WavAudio MakeTestSignal(const TestSignalShape& shape) {
    WavAudio audio;
    audio.rate = shape.rate;
    audio.channels = shape.channels;
    audio.format = SampleFormat::Float32;
    const size_t frames = size_t(std::max(0.0, shape.seconds) * shape.rate);
    audio.samples.assign(frames * shape.channels, 0.0);
    const double unit = shape.seconds / 4.0;
    const size_t toneEnd = size_t(unit * shape.rate), sweepEnd = size_t(2.75 * unit * shape.rate),
                 noiseEnd = size_t(3.75 * unit * shape.rate);
    const double sweepFrom = 20, sweepTo = std::min(20000.0, 0.45 * shape.rate);
    const double sweepSeconds = double(sweepEnd - toneEnd) / shape.rate;
    const double k = std::log(sweepTo / sweepFrom);

    for (uint32_t c = 0; c < shape.channels; ++c) {
        Noise noise(c + 1);
        for (size_t i = 0; i < frames; ++i) {
            const double t = double(i) / shape.rate;
            double v = 0;
            if (i < toneEnd) {
                for (double f : kTestTones) v += kToneLevel * std::sin(2 * kPi * f * t);
            } else if (i < sweepEnd) {
                // Exponential sweep: the phase integral of f(t) = from * exp(k t / T).
                const double ts = t - double(toneEnd) / shape.rate;
                v = kSweepLevel * std::sin(2 * kPi * sweepFrom * sweepSeconds / k * (std::exp(k * ts / sweepSeconds) - 1));
            } else if (i < noiseEnd) {
                v = kNoiseLevel * noise.Next();
            }
            audio.samples[i * shape.channels + c] = v;
        }
    }
    return audio;
}

}  // namespace qx::host
