// Vocal Remover and Vocal Fading: what they take out of the centre and what they keep.
#include <gtest/gtest.h>

#include "tests/components/ComponentIds.h"
#include "tests/components/SampleFxLibrary.h"

using qx::ComPtr;
using qx::test::Db;
using qx::test::PlanarSignal;
using qx::test::PutU32;
using qx::test::Rms;
namespace ids = qx::test::ids;

namespace {
constexpr uint32_t kRate = 48000;

class VocalEffects : public qx::test::SampleFxTest {
protected:
    ComPtr<IQXEffectComponent> Remover(uint8_t band, int32_t amount, uint16_t channels = 2) {
        ComPtr<IQXEffectComponent> c = Make(ids::kVocalRemover, kRate, channels);
        if (!c) return c;
        uint8_t data[4];
        PutU32(data, uint32_t(amount));
        EXPECT_EQ(S_OK, c->SetParameter(33, 1, &band));
        EXPECT_EQ(S_OK, c->SetParameter(34, 4, data));
        return c;
    }
    ComPtr<IQXEffectComponent> Fader(uint8_t amount, uint16_t channels = 2) {
        ComPtr<IQXEffectComponent> c = Make(ids::kVocalFading, kRate, channels);
        if (!c) return c;
        EXPECT_EQ(S_OK, c->SetParameter(9, 1, &amount));
        return c;
    }
};

// A one-second tone with the given gains on the left and right channel (and centre).
PlanarSignal Tone(double freq, double left, double right, uint32_t channels = 2, double centre = 0) {
    PlanarSignal s(channels, kRate);
    s.AddTone(0, kRate, freq, 0.3 * left);
    s.AddTone(1, kRate, freq, 0.3 * right);
    if (channels > 2) s.AddTone(2, kRate, freq, 0.3 * centre);
    return s;
}

// Output power of the front pair over input power, in dB, in the second half.
double PairGainDb(IQXEffectComponent* c, PlanarSignal s) {
    const auto power = [&](const PlanarSignal& x) {
        const double l = Rms(x[0], kRate / 2, kRate), r = Rms(x[1], kRate / 2, kRate);
        return l * l + r * r;
    };
    if (!c) return NAN;
    const double before = power(s);
    s.Run(c, 480);
    return 10 * std::log10(power(s) / before);
}

double ChannelGainDb(IQXEffectComponent* c, PlanarSignal s, uint32_t channel) {
    if (!c) return NAN;
    const double before = Rms(s[channel], kRate / 2, kRate);
    s.Run(c, 480);
    return Db(Rms(s[channel], kRate / 2, kRate) / before);
}
}  // namespace

TEST_F(VocalEffects, RemoverCancelsACentredToneInItsBandAndKeepsPannedSound) {
    for (uint8_t band : {0, 1, 3}) {  // male voice, female voice, full spectrum
        SCOPED_TRACE(int(band));
        const double freq = band == 0 ? 300 : 700;
        ComPtr<IQXEffectComponent> c = Remover(band, 48);
        EXPECT_LT(PairGainDb(c.Get(), Tone(freq, 1, 1)), -20.0);
        EXPECT_GT(PairGainDb(c.Get(), Tone(freq, 1, 0)), -3.5);    // hard left
        EXPECT_NEAR(0.0, PairGainDb(c.Get(), Tone(freq, 1, -1)), 0.01);  // opposite phase: nothing central
    }
    // Outside the chosen band the centre stays.
    ComPtr<IQXEffectComponent> bass = Remover(2, 48);
    EXPECT_LT(PairGainDb(bass.Get(), Tone(80, 1, 1)), -12.0);
    EXPECT_GT(PairGainDb(bass.Get(), Tone(3000, 1, 1)), -1.0);
}

TEST_F(VocalEffects, RemoverAmountScalesFromBoostThroughNothingToRemoval) {
    EXPECT_NEAR(0.0, PairGainDb(Remover(3, 0).Get(), Tone(500, 1, 1)), 0.01);
    EXPECT_NEAR(-6.02, PairGainDb(Remover(3, 24).Get(), Tone(500, 1, 1)), 0.1);
    EXPECT_NEAR(6.02, PairGainDb(Remover(3, -48).Get(), Tone(500, 1, 1)), 0.1);
    EXPECT_LT(PairGainDb(Remover(3, 0x7FFF0000 | 48).Get(), Tone(500, 1, 1)), -60.0);  // low 16 bits count
    // An unknown band falls back to the male voice band.
    EXPECT_LT(PairGainDb(Remover(9, 48).Get(), Tone(300, 1, 1)), -20.0);
}

TEST_F(VocalEffects, RemoverTakesTheBandOutOfACentreChannel) {
    ComPtr<IQXEffectComponent> c = Remover(3, 48, 6);
    EXPECT_LT(ChannelGainDb(c.Get(), Tone(500, 0, 0, 6, 1), 2), -60.0);
}

TEST_F(VocalEffects, FadingTurnsTheCentreDownByItsAmount) {
    EXPECT_LT(PairGainDb(Fader(100).Get(), Tone(1000, 1, 1)), -60.0);
    EXPECT_NEAR(-6.02, PairGainDb(Fader(50).Get(), Tone(1000, 1, 1)), 0.1);
    EXPECT_NEAR(0.0, PairGainDb(Fader(0).Get(), Tone(1000, 1, 1)), 0.01);
    EXPECT_NEAR(0.0, PairGainDb(Fader(100).Get(), Tone(1000, 1, -1)), 0.01);
    EXPECT_LT(PairGainDb(Fader(250).Get(), Tone(1000, 1, 1)), -60.0);  // held to 100
    EXPECT_NEAR(-6.02, ChannelGainDb(Fader(50, 6).Get(), Tone(1000, 0, 0, 6, 1), 2), 0.1);
}
