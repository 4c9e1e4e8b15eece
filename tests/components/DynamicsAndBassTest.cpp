// Smart Volume Normalizer levelling and the Flex Bass shelf.
#include <gtest/gtest.h>

#include "tests/components/ComponentIds.h"
#include "tests/components/SampleFxLibrary.h"

using qx::ComPtr;
using qx::test::Amplitude;
using qx::test::Db;
using qx::test::PlanarSignal;
using qx::test::PutU32;
using qx::test::Rms;
using qx::test::ToneGainDb;
namespace ids = qx::test::ids;

namespace {
class DynamicsAndBass : public qx::test::SampleFxTest {
protected:
    // RMS in dBFS of the last second of four seconds of a 1 kHz tone at peakDb.
    double LevelledDb(IQXEffectComponent* c, double peakDb) {
        PlanarSignal s(2, 4 * 48000);
        s.AddTone(0, 48000, 1000, Amplitude(peakDb));
        s.AddTone(1, 48000, 1000, Amplitude(peakDb));
        s.Run(c, 480);
        return Db(Rms(s[0], 3 * 48000, 4 * 48000));
    }
};

HRESULT SetU32(IQXEffectComponent* c, BYTE id, uint32_t value) {
    uint8_t data[4];
    PutU32(data, value);
    return c->SetParameter(id, 4, data);
}
}  // namespace

TEST_F(DynamicsAndBass, SmartVolumeBringsQuietAndLoudToWithinThreeDecibels) {
    ComPtr<IQXEffectComponent> quiet = Make(ids::kSmartVolume), loud = Make(ids::kSmartVolume);
    ASSERT_TRUE(quiet && loud);
    const double q = LevelledDb(quiet.Get(), -30), l = LevelledDb(loud.Get(), -6);
    EXPECT_NEAR(q, l, 3.0);
    EXPECT_GT(q, -30 - 3 + 6);  // the quiet one was raised (a sine's RMS is 3 dB below its peak)
    EXPECT_LT(l, -6 - 3 - 6);   // and the loud one lowered
}

TEST_F(DynamicsAndBass, SmartVolumeResetReturnsToUnityGainAndSilenceIsNotPumped) {
    ComPtr<IQXEffectComponent> c = Make(ids::kSmartVolume);
    ASSERT_TRUE(c);
    LevelledDb(c.Get(), -30);  // the gain is now well above unity

    PlanarSignal silence(2, 48000);
    silence.Run(c.Get(), 480);
    for (float v : silence[0]) ASSERT_EQ(0.0f, v);

    // The gain glides back to unity over 20 ms (960 frames), without a jump, and the
    // restarted leveller has barely moved it 1 ms later.
    ASSERT_EQ(S_OK, c->SetParameter(12, 0, nullptr));
    PlanarSignal s(2, 1440);
    s.AddTone(0, 48000, 1000, Amplitude(-30));
    const double before = Rms(s[0], 960, 1008);
    s.Run(c.Get(), 480);
    EXPECT_NEAR(0.0, Db(Rms(s[0], 960, 1008) / before), 0.5);
}

TEST_F(DynamicsAndBass, FlexBassRaisesSixtyHertzAndNotTwoKilohertz) {
    ComPtr<IQXEffectComponent> c = Make(ids::kFlexBass);
    ASSERT_TRUE(c);
    EXPECT_NEAR(0.0, ToneGainDb(c.Get(), 48000, 2, 60), 0.05);  // level 0 dB until told
    ASSERT_EQ(S_OK, SetU32(c.Get(), 13, 100));
    ASSERT_EQ(S_OK, SetU32(c.Get(), 15, 12));
    EXPECT_GT(ToneGainDb(c.Get(), 48000, 2, 60), 6.0);
    EXPECT_NEAR(0.0, ToneGainDb(c.Get(), 48000, 2, 2000), 0.5);

    // The level arrives as a signed number (stored level minus 12) and is held to 12 dB.
    ASSERT_EQ(S_OK, SetU32(c.Get(), 15, uint32_t(-12)));
    EXPECT_LT(ToneGainDb(c.Get(), 48000, 2, 60), -6.0);
    ASSERT_EQ(S_OK, SetU32(c.Get(), 15, 40));
    EXPECT_NEAR(12.0, ToneGainDb(c.Get(), 48000, 2, 20), 1.0);
    // A higher cut-off lifts more of the spectrum.
    ASSERT_EQ(S_OK, SetU32(c.Get(), 13, 250));
    EXPECT_GT(ToneGainDb(c.Get(), 48000, 2, 200), 6.0);
}
