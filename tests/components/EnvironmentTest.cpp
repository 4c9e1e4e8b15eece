// The Environment reverb: a decaying tail whose length follows preset and room size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/components/ComponentIds.h"
#include "tests/components/SampleFxLibrary.h"

using qx::ComPtr;
using qx::test::PlanarSignal;
using qx::test::Rms;
namespace ids = qx::test::ids;

namespace {
constexpr uint32_t kRate = 48000;
constexpr size_t kWindow = kRate / 100;

class Environment : public qx::test::SampleFxTest {
protected:
    // The response of channel `probe` to an impulse on channel 0.
    PlanarSignal ImpulseResponse(uint8_t preset, uint8_t roomSize, uint16_t channels = 2, double seconds = 4) {
        ComPtr<IQXEffectComponent> c = Make(ids::kEnvironment, kRate, channels, 1);
        const uint8_t settings[2] = {roomSize, preset};
        EXPECT_EQ(S_OK, c->SetParameter(6, 2, settings));
        PlanarSignal s(channels, size_t(seconds * kRate));
        s[0][0] = 1.0f;
        s.Run(c.Get(), 480);
        s[0][0] -= 1.0f;  // keep only what the reverb added
        return s;
    }
};

// Seconds until the 10 ms envelope of x stays 40 dB below its loudest window.
double TailSeconds(const std::vector<float>& x) {
    std::vector<double> env;
    for (size_t i = 0; i + kWindow <= x.size(); i += kWindow) env.push_back(Rms(x, i, i + kWindow));
    const double peak = *std::max_element(env.begin(), env.end());
    size_t last = 0;
    for (size_t w = 0; w < env.size(); ++w)
        if (env[w] > peak / 100) last = w;
    return double(last + 1) * kWindow / kRate;
}
}  // namespace

TEST_F(Environment, AddsADecayingTailThatGrowsWithRoomSize) {
    double previous = 0;
    for (uint8_t room : {0, 1, 2}) {
        SCOPED_TRACE(int(room));
        const PlanarSignal s = ImpulseResponse(0, room);
        const double tail = TailSeconds(s[0]);
        EXPECT_GT(tail, previous * 1.2);
        EXPECT_LT(tail, 3.5);  // it does decay
        previous = tail;
        // Early reflections are louder than the late tail, on both speakers.
        for (uint32_t ch = 0; ch < 2; ++ch) EXPECT_GT(Rms(s[ch], 0, kRate / 5), 10 * Rms(s[ch], 3 * kRate, 4 * kRate));
    }
}

TEST_F(Environment, PresetsChangeTheDecayAndOutOfRangeSettingsFallBack) {
    const double room = TailSeconds(ImpulseResponse(3, 1)[0]);      // "Room"
    const double hall = TailSeconds(ImpulseResponse(8, 1)[0]);      // "Concert hall"
    EXPECT_GT(hall, 2 * room);
    // Preset 28 and room size 3 are not in the lists: the default preset, small room.
    const PlanarSignal fallback = ImpulseResponse(28, 3, 2, 1);
    const PlanarSignal expected = ImpulseResponse(0, 0, 2, 1);
    EXPECT_EQ(fallback[1], expected[1]);
}

TEST_F(Environment, LeavesTheLowFrequencyChannelDryAndSpreadsToTheOthers) {
    const PlanarSignal s = ImpulseResponse(1, 1, 6, 1);
    for (float v : s[3]) ASSERT_EQ(0.0f, v);
    for (uint32_t ch : {0u, 1u, 2u, 4u, 5u}) EXPECT_GT(Rms(s[ch], 0, kRate / 2), 1e-4) << ch;
}
