// The converter's filters measured from what they output: a tone goes through each
// single-stage conversion and the output's spectrum shows the passband gain and how far
// the images and aliases that the filter must remove stay down.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "resample/SRCInternal.h"

using qx::SRCInternal;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 0.5;

// One conversion and the block size it is planned for; Reverse converts from `out` back
// to `in`.
struct Conversion {
    const char* name;
    uint32_t in, out, block, direction;
};
constexpr Conversion kUp2{"Up2", 24000, 48000, 240, SRCInternal::Forward};
constexpr Conversion kDown2{"Down2", 96000, 48000, 960, SRCInternal::Forward};
constexpr Conversion kUp3Down2{"Up3Down2", 22050, 14700, 441, SRCInternal::Reverse};
constexpr Conversion kUp2Down3{"Up2Down3", 22050, 14700, 441, SRCInternal::Forward};
constexpr Conversion kUp160Down147{"Up160Down147", 44100, 48000, 441, SRCInternal::Forward};
constexpr Conversion kUp147Down160{"Up147Down160", 48000, 44100, 480, SRCInternal::Forward};
constexpr Conversion kDown3{"Down3", 48000, 16000, 480, SRCInternal::Forward};
constexpr Conversion kUp3{"Up3", 16000, 48000, 160, SRCInternal::Forward};

// The output of a tone of `freq` Hz after the filters have settled, at the output rate.
std::vector<double> Convert(const Conversion& c, double freq, double& outRate) {
    SRCInternal src;
    uint32_t planned = 0;
    src.Init(c.in, c.out, c.block, &planned, 1);
    const bool forward = c.direction == SRCInternal::Forward;
    const uint32_t n = forward ? c.block : planned, m = forward ? planned : c.block;
    const double inRate = forward ? c.in : c.out;
    outRate = forward ? c.out : c.in;
    std::vector<double> out;
    uint64_t t = 0;
    for (int b = 0; b < 60; ++b) {
        std::vector<float> buf(4 * (n + m));
        for (uint32_t i = 0; i < n; ++i, ++t)
            buf[i] = static_cast<float>(kAmplitude * std::sin(2.0 * kPi * freq * double(t) / inRate));
        src.Process(buf.data(), 0, n, c.direction);
        if (b >= 20) out.insert(out.end(), buf.begin(), buf.begin() + m);
    }
    return out;
}

// Gain in dB, relative to the input tone, of the output's component at `freq` Hz. The
// window holds a whole number of periods of every multiple of 50 Hz.
double ComponentDb(const std::vector<double>& y, double rate, double freq) {
    const size_t n = size_t(rate / 50.0) * 2;
    EXPECT_GE(y.size(), n);
    double re = 0.0, im = 0.0;
    for (size_t i = 0; i < n; ++i) {
        re += y[y.size() - n + i] * std::cos(2.0 * kPi * freq * double(i) / rate);
        im += y[y.size() - n + i] * std::sin(2.0 * kPi * freq * double(i) / rate);
    }
    return 20.0 * std::log10(2.0 * std::hypot(re, im) / double(n) / kAmplitude);
}

// A tone in, and the gain (within `tolerance` dB) or the most (`atMost` dB) of one output
// component. Where the component is an image or alias, its frequency is worked out by hand
// from the rates: what the filter passes of it is its response there.
struct Response {
    const Conversion* conversion;
    double tone, component;
    double gain, tolerance, atMost;
};
constexpr double kNone = 1000.0;

// The half-band filter is about 60 dB down from 0.28 of its higher rate (59.8 at its worst
// lobe, just above), the third-band
// filter 57 dB from a fifth of its rate; the polyphase prototypes are below -57 dB
// (44.1 to 48 kHz) and -46 dB (48 to 44.1 kHz) from 28 kHz.
const Response kResponses[] = {
    {&kUp2, 1000, 1000, 0.0, 0.05, kNone},
    {&kUp2, 8000, 8000, 0.0, 0.1, kNone},
    {&kUp2, 5000, 19000, 0, 0, -60.0},   // image at 24000 - 5000
    {&kUp2, 10000, 14000, 0, 0, -59.5},  // image at 24000 - 10000: 0.29 of 48000, the worst lobe
    {&kDown2, 1000, 1000, 0.0, 0.05, kNone},
    {&kDown2, 16000, 16000, 0.0, 0.1, kNone},
    {&kDown2, 30000, 18000, 0, 0, -60.0},  // alias at 48000 - 30000
    {&kDown2, 40000, 8000, 0, 0, -60.0},
    {&kDown3, 1000, 1000, 0.0, 0.05, kNone},
    {&kDown3, 12000, 4000, 0, 0, -57.0},  // alias at 16000 - 12000: a quarter of 48000
    {&kDown3, 20000, 4000, 0, 0, -57.0},  // alias at 20000 - 16000
    {&kUp3, 1000, 1000, 0.0, 0.05, kNone},
    {&kUp3, 1000, 15000, 0, 0, -57.0},  // images at 16000 -+ 1000
    {&kUp3, 1000, 17000, 0, 0, -57.0},
    {&kUp2Down3, 1000, 1000, 0.0, 0.05, kNone},
    {&kUp2Down3, 1000, 6350, 0, 0, -57.0},  // image at 22050 - 1000 = 21050 at 44100, folded at 14700
    {&kUp2Down3, 12000, 2700, 0, 0, -57.0},  // 12000 at 44100 aliases to 14700 - 12000
    {&kUp3Down2, 1000, 1000, 0.0, 0.05, kNone},
    {&kUp3Down2, 1000, 8350, 0, 0, -57.0},  // image at 14700 - 1000 = 13700 at 44100, folded at 22050
    {&kUp3Down2, 1000, 6350, 0, 0, -57.0},  // image at 14700 + 1000
    {&kUp160Down147, 1000, 1000, 0.0, 0.2, kNone},
    {&kUp160Down147, 17000, 17000, 0.0, 0.2, kNone},
    {&kUp160Down147, 5000, 8900, 0, 0, -57.0},   // image at 44100 - 5000 = 39100, folded at 48000
    {&kUp160Down147, 5000, 1100, 0, 0, -57.0},   // image at 44100 + 5000 = 49100
    {&kUp147Down160, 1000, 1000, 0.0, 0.2, kNone},
    {&kUp147Down160, 17900, 17900, 0.0, 0.2, kNone},
    {&kUp147Down160, 18000, 14100, 0, 0, -46.0},  // image at 48000 - 18000 = 30000, folded at 44100
    {&kUp147Down160, 1000, 2900, 0, 0, -46.0},    // image at 48000 - 1000 = 47000
};

}  // namespace

TEST(FilterResponse, PassbandGainsAndImageRejectionMeasuredFromTheOutput) {
    for (const Response& r : kResponses) {
        SCOPED_TRACE(testing::Message() << r.conversion->name << ": " << r.tone << " Hz in, " << r.component
                                        << " Hz out");
        double rate = 0.0;
        const std::vector<double> y = Convert(*r.conversion, r.tone, rate);
        const double db = ComponentDb(y, rate, r.component);
        if (r.atMost != kNone) {
            EXPECT_LT(db, r.atMost);
        } else {
            EXPECT_NEAR(db, r.gain, r.tolerance);
        }
    }
}
