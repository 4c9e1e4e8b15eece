// The sample components' signal processing on its own: filter shapes, and every effect
// kept finite and in bounds whatever parameters, rates and channel counts it is given.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "components/dsp/Biquad.h"
#include "components/dsp/EnvironmentReverb.h"
#include "components/dsp/FlexBass.h"
#include "components/dsp/GraphicEqualizer.h"
#include "components/dsp/ParametricEqualizer.h"
#include "components/dsp/SmartVolume.h"
#include "components/dsp/VocalFading.h"
#include "components/dsp/VocalRemover.h"

using namespace qx::fx;

namespace {
double Db(double ratio) { return 20 * std::log10(ratio); }

// A small deterministic generator for parameter bytes and noise.
class Random {
public:
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float Noise() { return float(Next()) / 2147483648.0f - 1.0f; }

private:
    uint32_t state_ = 0x12345678;
};

std::vector<std::unique_ptr<Effect>> AllEffects() {
    std::vector<std::unique_ptr<Effect>> e;
    e.emplace_back(new GraphicEqualizer);
    e.emplace_back(new ParametricEqualizer);
    e.emplace_back(new EnvironmentReverb);
    e.emplace_back(new FlexBass);
    e.emplace_back(new SmartVolume);
    e.emplace_back(new VocalRemover);
    e.emplace_back(new VocalFading);
    return e;
}

// The ids each effect answers, with their sizes.
struct Param {
    uint8_t id, size;
};
const std::vector<std::vector<Param>> kParams = {
    {{10, 8}, {11, 40}},
    {{35, 1}, {36, 8}, {37, 1}, {38, 8}, {39, 240}, {40, 1}, {41, 1}},
    {{6, 2}},
    {{13, 4}, {14, 4}, {15, 4}},
    {{12, 0}},
    {{33, 1}, {34, 4}},
    {{9, 1}},
};
}  // namespace

TEST(SampleDsp, FilterShapesMeetTheirDefinitions) {
    const double rate = 48000;
    EXPECT_NEAR(6.0, Db(BiquadCoefficients::Peaking(rate, 1000, 1.41, 6).Magnitude(rate, 1000)), 1e-9);
    EXPECT_NEAR(0.0, Db(BiquadCoefficients::Peaking(rate, 1000, 1.41, 6).Magnitude(rate, 20000)), 0.05);
    EXPECT_NEAR(12.0, Db(BiquadCoefficients::LowShelf(rate, 100, 12).Magnitude(rate, 1)), 0.01);
    EXPECT_NEAR(6.0, Db(BiquadCoefficients::LowShelf(rate, 100, 12).Magnitude(rate, 100)), 0.01);  // half at the corner
    EXPECT_NEAR(0.0, Db(BiquadCoefficients::LowShelf(rate, 100, 12).Magnitude(rate, 10000)), 0.01);
    EXPECT_NEAR(-9.0, Db(BiquadCoefficients::HighShelf(rate, 5000, -9).Magnitude(rate, 23999)), 0.1);
    EXPECT_NEAR(0.0, Db(BiquadCoefficients::HighShelf(rate, 5000, -9).Magnitude(rate, 10)), 0.01);
    EXPECT_NEAR(-3.01, Db(BiquadCoefficients::LowPass(rate, 1000, 0.7071).Magnitude(rate, 1000)), 0.01);
    EXPECT_NEAR(-3.01, Db(BiquadCoefficients::HighPass(rate, 1000, 0.7071).Magnitude(rate, 1000)), 0.01);
    EXPECT_NEAR(0.0, Db(BiquadCoefficients::HighPass(rate, 1000, 0.7071).Magnitude(rate, 20000)), 0.01);
}

TEST(SampleDsp, ReverbDecayFollowsPresetAndRoomSize) {
    EXPECT_LT(EnvironmentReverb::DecaySeconds(0, 0), EnvironmentReverb::DecaySeconds(0, 1));
    EXPECT_LT(EnvironmentReverb::DecaySeconds(0, 1), EnvironmentReverb::DecaySeconds(0, 2));
    EXPECT_LT(EnvironmentReverb::DecaySeconds(2, 1), EnvironmentReverb::DecaySeconds(11, 1));  // padded cell, hangar
    EXPECT_EQ(EnvironmentReverb::DecaySeconds(0, 0), EnvironmentReverb::DecaySeconds(99, 7));   // out of range
}

// Random parameter blocks (right and wrong ids and sizes) between periods of noise, at
// several rates and channel counts: the output stays finite and bounded, and nothing is
// read or written out of bounds (the sanitizers watch this build).
TEST(SampleDsp, EveryEffectStaysFiniteUnderAnyParameters) {
    Random random;
    const std::vector<std::unique_ptr<Effect>> effects = AllEffects();
    for (size_t e = 0; e < effects.size(); ++e)
        for (double rate : {8000.0, 44100.0, 192000.0})
            for (uint32_t channels : {1u, 2u, 6u, 8u}) {
                SCOPED_TRACE(testing::Message() << "effect " << e << ", " << rate << " Hz, " << channels << " ch");
                Effect& fx = *effects[e];
                fx.Prepare(rate, channels);
                std::vector<std::vector<float>> buffers(kMaxChannels, std::vector<float>(256));
                float* table[kMaxChannels];
                for (uint32_t c = 0; c < kMaxChannels; ++c) table[c] = buffers[c].data();
                for (int period = 0; period < 20; ++period) {
                    uint8_t data[240];
                    for (uint8_t& b : data) b = uint8_t(random.Next());
                    const Param p = kParams[e][random.Next() % kParams[e].size()];
                    if (e == 0 && p.id == 10) data[0] %= 10;  // a band index names one of ten bands
                    EXPECT_EQ(ParamStatus::Ok, fx.SetParameter(p.id, p.size, p.size ? data : nullptr));
                    EXPECT_NE(ParamStatus::Ok, fx.SetParameter(p.id, uint8_t(p.size + 1), data));
                    EXPECT_EQ(ParamStatus::UnknownId, fx.SetParameter(250, 4, data));
                    for (uint32_t c = 0; c < channels; ++c)
                        for (float& v : buffers[c]) v = 0.5f * random.Noise();
                    const uint32_t frames = 1 + random.Next() % 256;
                    fx.Process(table, frames);
                    for (uint32_t c = 0; c < channels; ++c)
                        for (uint32_t i = 0; i < frames; ++i)
                            ASSERT_TRUE(std::isfinite(buffers[c][i]) && std::fabs(buffers[c][i]) < 1e4f)
                                << "channel " << c << " frame " << i;
                }
            }
}
