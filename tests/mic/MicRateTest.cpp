// The capture processor at stream rates other than the effect rates: the rate and period
// the components are set up for, and a period's way through the converter and back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "tests/mic/MicFixture.h"

namespace qx::test {
namespace {

namespace key = settings::key;

struct RateCase {
    uint32_t rate;
    uint32_t maxFrames;
    uint32_t internalRate;
    uint32_t internalFrames;
};

class MicRate : public MicTest, public testing::WithParamInterface<RateCase> {
protected:
    void SetUp() override {
        MicTest::SetUp();
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
        log_.Clear();
    }
};

TEST_P(MicRate, ComponentsRunAtTheEffectRate) {
    const RateCase& c = GetParam();
    ASSERT_EQ(S_OK, Lock(c.rate, 2, 2, c.maxFrames));
    for (const ComponentCall& init : log_.Calls(ComponentCall::Initialize)) {
        SCOPED_TRACE(init.component);
        EXPECT_EQ(c.internalRate, init.in.nSamplesPerSec);
        EXPECT_EQ(c.internalRate * 8, init.in.nAvgBytesPerSec);
        EXPECT_EQ(c.internalFrames, init.maxFrames);
    }
    log_.Clear();
    std::vector<float> out;
    EXPECT_EQ(S_OK, RunPeriod(2, 2, c.maxFrames, &out));
    EXPECT_EQ(c.internalFrames, log_.Calls(ComponentCall::Process).at(0).frames);
    EXPECT_EQ(size_t(2) * c.maxFrames, out.size());
}

INSTANTIATE_TEST_SUITE_P(, MicRate,
                         testing::Values(RateCase{16000, 160, 48000, 480}, RateCase{22050, 441, 44100, 882},
                                         RateCase{32000, 320, 48000, 320}, RateCase{8000, 80, 48000, 480},
                                         RateCase{11025, 110, 44100, 440}, RateCase{96000, 960, 48000, 480},
                                         RateCase{176400, 1764, 44100, 441}, RateCase{44100, 441, 44100, 441},
                                         RateCase{48000, 480, 48000, 480}),
                         [](const testing::TestParamInfo<RateCase>& info) {
                             return std::to_string(info.param.rate);
                         });

class MicConversion : public MicTest {
protected:
    void SetUp() override {
        MicTest::SetUp();
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    }
    // Runs enough periods of a constant input for the filters to settle; returns the last output.
    std::vector<float> Settle(uint32_t in, uint32_t out, uint32_t frames, const std::vector<float>& levels) {
        std::vector<float> input(size_t(in) * frames), output(size_t(out) * frames);
        for (size_t i = 0; i < input.size(); ++i) input[i] = levels[i % in];
        for (int period = 0; period < 20; ++period) {
            EXPECT_EQ(S_OK, processor_->Process(input.data(), output.data(), frames));
        }
        return output;
    }
};

TEST_F(MicConversion, AConstantSignalComesBackAtItsLevel) {
    // The component sees the stream at 48000: three times as many frames, same level.
    float seen = 0;
    Reg(Mix).Behaviour().onProcess = [&](float* const* table, void* const*, UINT32 frames) { seen = table[1][frames - 1]; };
    log_.SetRecordProcess(false);
    ASSERT_EQ(S_OK, Lock(16000, 2, 2, 160));
    const std::vector<float> out = Settle(2, 2, 160, {1.0f, -0.5f});
    EXPECT_NEAR(-0.5f, seen, 0.002f);
    for (size_t i = 0; i < 160; ++i) {
        ASSERT_NEAR(1.0f, out[2 * i], 0.002f) << i;
        ASSERT_NEAR(-0.5f, out[2 * i + 1], 0.001f) << i;
    }
}

TEST_F(MicConversion, ChannelsAboveTheInputAreNotConverted) {
    // One channel in, two out: the component fills channel 1 at the effect rate, and the
    // converter, planned for one channel, hands it back as it is.
    Reg(Mix).Behaviour().onProcess = [](float* const* table, void* const*, UINT32 frames) {
        for (UINT32 i = 0; i < frames; ++i) table[1][i] = float(i);
    };
    log_.SetRecordProcess(false);
    ASSERT_EQ(S_OK, Lock(16000, 1, 2, 160));
    const std::vector<float> out = Settle(1, 2, 160, {0.25f});
    for (size_t i = 0; i < 160; ++i) {
        ASSERT_NEAR(0.25f, out[2 * i], 0.001f) << i;
        ASSERT_EQ(float(i), out[2 * i + 1]) << i;
    }
}

}  // namespace
}  // namespace qx::test
