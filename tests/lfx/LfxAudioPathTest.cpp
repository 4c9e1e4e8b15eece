// The audio path under load: no heap allocation in Process or HostedProcess, and
// settings changes from another thread while periods run.
#include <atomic>
#include <cmath>
#include <thread>

#include "tests/lfx/LfxFixture.h"
#include "tests/lfx/RecordingApo.h"
#include "tests/support/AllocationCounter.h"

using namespace qx;
using namespace qx::test;
using namespace qx::lfx;

namespace {

class LfxAudioPath : public LfxTest {
protected:
    void SetUp() override {
        Register();
        Create();
        log.SetRecordProcess(false);
    }
};

}  // namespace

TEST_F(LfxAudioPath, PeriodsAllocateNothing) {
    ApoRegistration apo(ToGuid(kDolbyPceeClsid));
    ASSERT_EQ(S_OK, lfx->HostedInitialize(0, nullptr));
    APO_CONNECTION_PROPERTY connection{};
    APO_CONNECTION_PROPERTY* connections[1] = {&connection};
    struct Layout {
        uint32_t in, out, rate;
        std::vector<uint8_t> flags;
    } layouts[] = {
        {2, 2, 48000, {FlagDolbySurround, FlagVoiceClarity, FlagDolbyPcee}},
        {2, 2, 22050, {FlagNuvex, FlagNuvexMax, FlagSpeakerShifter, FlagDolbyPcee}},
        {4, 8, 44100, {FlagProLogic, FlagVoiceClarity, FlagSpeakerShifter}},
        {2, 6, 32000, {FlagNeoPc, FlagVoiceClarity}},
        {8, 2, 96000, {FlagSurroundSensation, FlagSpeakerShifter}},
        {1, 6, 11025, {FlagNuvexMax}},
    };
    for (const Layout& l : layouts) {
        for (uint8_t flag = 0; flag < kFlagCount; ++flag) Put(kEnableKeys[flag], 0);
        for (uint8_t flag : l.flags) Put(kEnableKeys[flag], 1);
        constexpr uint32_t kPeriod = 441;
        inChannels = l.in, outChannels = l.out;
        ASSERT_EQ(S_OK, lfx->LockForProcess(l.rate, l.in, l.out, kPeriod, fx.Get(), 1));
        std::vector<float> in(kPeriod * l.in, 0.25f), out(kPeriod * l.out);
        AllocationCounter counter;
        int wrote = 0;
        for (int period = 0; period < 100; ++period) {
            wrote += lfx->Process(in.data(), out.data(), kPeriod) != 1;
            lfx->HostedProcess(1, connections, 1, connections);
        }
        EXPECT_EQ(0u, counter.Count()) << l.in << " -> " << l.out << " at " << l.rate;
        EXPECT_EQ(100, wrote);
    }
    EXPECT_GT(apo.Record().processCalls.load(), 0);
    lfx.Reset();
}

// Enables, parameters, the Nuvex set-up and the Dolby mode re-initialisation arrive
// from another thread while periods run; every period still writes finite samples.
TEST_F(LfxAudioPath, SettingsChangeWhileProcessing) {
    constexpr uint32_t kPeriod = 64;
    ASSERT_EQ(S_OK, Lock(2, 2, 48000, kPeriod));
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::atomic<int> periods{0};
    std::thread audio([&] {
        std::vector<float> in(kPeriod * 2, 0.5f), out(kPeriod * 2);
        while (!stop) {
            const HRESULT hr = lfx->Process(in.data(), out.data(), kPeriod);
            if (FAILED(hr)) ++bad;
            if (hr != 1)
                for (float v : out)
                    if (!std::isfinite(v)) ++bad;
            ++periods;
        }
    });
    const KeyId changes[] = {key::NuvexEnable,        key::DolbySurroundEnable, key::SurroundSensationEnable,
                             key::SpeakerShifterEnable, key::NuvexMaxEnable,      key::VoiceClarityEnable,
                             key::DolbySurroundMode,   key::NuvexMode,          key::SpeakerShifterAngle(3),
                             key::ProLogicEnable,      key::NeoPcCenterGain};
    uint32_t seed = 2024;
    for (int i = 0; i < 600; ++i) {
        seed = seed * 1103515245u + 12345u;
        const KeyId& changed = changes[(seed >> 16) % (sizeof changes / sizeof changes[0])];
        PutAndRefresh(changed, (seed >> 8) & 1);
        if (i % 50 == 0) {
            const int seen = periods.load();
            while (periods.load() == seen) std::this_thread::yield();
        }
    }
    stop = true;
    audio.join();
    EXPECT_EQ(0, bad.load());
    EXPECT_GE(periods.load(), 12);  // at least one period after each 50th change
}
