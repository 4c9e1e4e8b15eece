// Frequency responses of the 10-band graphic and the 15-band parametric equalisers.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/components/ComponentIds.h"
#include "tests/components/SampleFxLibrary.h"

using qx::ComPtr;
using qx::test::PutU32;
using qx::test::ToneGainDb;
namespace ids = qx::test::ids;

namespace {
class EqualizerResponse : public qx::test::SampleFxTest {};

// Parameter 10: one band's gain.
HRESULT SetBand(IQXEffectComponent* c, uint8_t band, int32_t gain) {
    uint8_t record[8] = {band};
    PutU32(record + 4, uint32_t(gain));
    return c->SetParameter(10, 8, record);
}

// One 15-band record as the processor sends it: on byte, three zeros, frequency, gain, Q.
void PutRecord(uint8_t* p, bool on, uint32_t freq, int32_t gain, float q) {
    std::memset(p, 0, 16);
    p[0] = on ? 1 : 0;
    PutU32(p + 4, freq);
    PutU32(p + 8, uint32_t(gain));
    std::memcpy(p + 12, &q, 4);
}
}  // namespace

TEST_F(EqualizerResponse, GraphicBandFourRaisesTwoHundredFiftyHertzAndLeavesFourKilohertz) {
    ComPtr<IQXEffectComponent> eq = Make(ids::kEqualizer);
    ASSERT_TRUE(eq);
    uint8_t all[40] = {};
    PutU32(all + 12, 6);  // band 4, 250 Hz
    ASSERT_EQ(S_OK, eq->SetParameter(11, 40, all));
    EXPECT_NEAR(6.0, ToneGainDb(eq.Get(), 48000, 2, 250), 0.5);
    EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), 48000, 2, 4000), 0.5);

    // Band updates: the stored form is 32-bit two's complement read from its low 16 bits.
    ASSERT_EQ(S_OK, SetBand(eq.Get(), 3, -6));
    EXPECT_NEAR(-6.0, ToneGainDb(eq.Get(), 48000, 2, 250), 0.5);
    ASSERT_EQ(S_OK, SetBand(eq.Get(), 3, 0x7FFF0000 | 3));
    EXPECT_NEAR(3.0, ToneGainDb(eq.Get(), 48000, 2, 250), 0.5);
    ASSERT_EQ(S_OK, SetBand(eq.Get(), 3, 35));  // beyond the range: held to +20
    EXPECT_NEAR(20.0, ToneGainDb(eq.Get(), 48000, 2, 250), 0.5);
    ASSERT_EQ(S_OK, SetBand(eq.Get(), 3, 0));
    EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), 48000, 2, 250), 0.05);
}

TEST_F(EqualizerResponse, GraphicEdgeBandsWorkAtBothInternalRates) {
    for (uint32_t rate : {44100u, 48000u}) {
        SCOPED_TRACE(rate);
        ComPtr<IQXEffectComponent> eq = Make(ids::kEqualizer, rate, 6);
        ASSERT_TRUE(eq);
        ASSERT_EQ(S_OK, SetBand(eq.Get(), 0, 12));
        ASSERT_EQ(S_OK, SetBand(eq.Get(), 9, -12));
        EXPECT_NEAR(12.0, ToneGainDb(eq.Get(), rate, 6, 30, 5), 0.5);
        EXPECT_NEAR(-12.0, ToneGainDb(eq.Get(), rate, 6, 16000, 5), 0.5);
        EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), rate, 6, 1000, 5), 0.5);
    }
}

TEST_F(EqualizerResponse, ParametricBandsFollowTheirRecords) {
    ComPtr<IQXEffectComponent> eq = Make(ids::kEq15);
    ASSERT_TRUE(eq);
    uint8_t bands[240] = {};
    PutRecord(bands, true, 1000, 12, 2.0f);
    PutRecord(bands + 16 * 14, false, 5000, 12, 2.0f);  // off: no effect
    ASSERT_EQ(S_OK, eq->SetParameter(39, 240, bands));
    EXPECT_NEAR(12.0, ToneGainDb(eq.Get(), 48000, 2, 1000), 0.5);
    EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), 48000, 2, 5000), 0.5);

    // Two +6 dB bands on one frequency: in cascade their dB add, in parallel their
    // boosts add (1 + 1 + 1 = 3 times the amplitude).
    PutRecord(bands, true, 1000, 6, 1.0f);
    PutRecord(bands + 16, true, 1000, 6, 1.0f);
    ASSERT_EQ(S_OK, eq->SetParameter(39, 240, bands));
    const uint8_t cascade = 1, parallel = 0;
    ASSERT_EQ(S_OK, eq->SetParameter(41, 1, &cascade));
    EXPECT_NEAR(12.0, ToneGainDb(eq.Get(), 48000, 2, 1000), 0.5);
    ASSERT_EQ(S_OK, eq->SetParameter(41, 1, &parallel));
    EXPECT_NEAR(9.54, ToneGainDb(eq.Get(), 48000, 2, 1000), 0.5);
}

TEST_F(EqualizerResponse, ParametricShelvesLiftBassAndCutTrebleOnlyWhenOn) {
    ComPtr<IQXEffectComponent> eq = Make(ids::kEq15);
    ASSERT_TRUE(eq);
    uint8_t bass[8], treble[8];
    PutU32(bass, 100);
    PutU32(bass + 4, 12);
    PutU32(treble, 8000);
    PutU32(treble + 4, uint32_t(-12));
    ASSERT_EQ(S_OK, eq->SetParameter(36, 8, bass));
    ASSERT_EQ(S_OK, eq->SetParameter(38, 8, treble));
    EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), 48000, 2, 30), 0.05);  // both still off

    const uint8_t on = 1;
    ASSERT_EQ(S_OK, eq->SetParameter(35, 1, &on));
    ASSERT_EQ(S_OK, eq->SetParameter(37, 1, &on));
    EXPECT_NEAR(12.0, ToneGainDb(eq.Get(), 48000, 2, 20), 1.0);
    EXPECT_NEAR(0.0, ToneGainDb(eq.Get(), 48000, 2, 1000), 0.5);
    EXPECT_NEAR(-12.0, ToneGainDb(eq.Get(), 48000, 2, 20000), 1.0);
}
