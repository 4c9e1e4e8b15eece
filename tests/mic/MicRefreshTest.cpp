// OnPropertyChanged of the capture processor: the noise families that exclude each
// other, the voice settings that follow their flags, and the results of odd calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/PropertyStoreAccess.h"
#include "tests/mic/MicFixture.h"

namespace qx::test {
namespace {

namespace key = settings::key;
using Params = std::vector<std::pair<int, std::vector<uint8_t>>>;
using Chain = std::vector<std::wstring>;

class MicRefresh : public MicTest {
protected:
    void SetUp() override {
        MicTest::SetUp();
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        ASSERT_EQ(S_OK, Lock(48000, 2, 2, 256));
        log_.Clear();
    }
    // Turns on, through a lock, every effect of the noise families at once.
    void LockWithAllNoiseEffectsOn() {
        for (const auto& k : {key::EncEnable, key::NoiseReductionEnable, key::BeamFormingEnable, key::AecEnable})
            PutUInt(fx_.Get(), k, 1);
        ASSERT_EQ(S_OK, Lock(48000, 2, 2, 256));
        for (const auto& k : {key::EncEnable, key::NoiseReductionEnable, key::BeamFormingEnable, key::AecEnable})
            PutUInt(fx_.Get(), k, 0);
        log_.Clear();
    }
    // The noise mode the component gets when Beam Forming is reported off: 2 while AEC is on.
    int ModeAfterBeamFormingOff() {
        log_.Clear();
        Change(key::BeamFormingEnable, 0);
        const Params p = ParamsOf(Noise);
        return p.empty() ? -1 : p.back().second[0];
    }
};

TEST_F(MicRefresh, NoiseReductionTurnsTheOtherFamiliesOffAndSendsModeZero) {
    LockWithAllNoiseEffectsOn();
    EXPECT_EQ(S_OK, Change(key::NoiseReductionEnable, 1));
    EXPECT_EQ((Params{{31, {0}}}), ParamsOf(Noise));
    EXPECT_EQ((Chain{L"noise"}), ChainOfOnePeriod(2, 2, 256));
    EXPECT_EQ(0, ModeAfterBeamFormingOff());  // AEC went off too

    // Reporting it off sends nothing and changes no other flag.
    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::NoiseReductionEnable, 0));
    EXPECT_TRUE(ParamsOf(Noise).empty());
}

TEST_F(MicRefresh, BeamFormingAndAecShareAFamily) {
    EXPECT_EQ(S_OK, Change(key::AecEnable, 1));
    EXPECT_EQ((Params{{31, {2}}}), ParamsOf(Noise));
    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::BeamFormingEnable, 1));
    EXPECT_EQ((Params{{31, {3}}}), ParamsOf(Noise));
    EXPECT_EQ(2, ModeAfterBeamFormingOff());

    // Either of them going on turns ENC and Noise Reduction off.
    LockWithAllNoiseEffectsOn();
    EXPECT_EQ(S_OK, Change(key::AecEnable, 1));
    EXPECT_EQ((Params{{31, {3}}}), ParamsOf(Noise));
    EXPECT_EQ((Chain{L"noise"}), ChainOfOnePeriod(2, 2, 256));
    EXPECT_EQ(S_OK, Change(key::BeamFormingEnable, 0));
    EXPECT_EQ(S_OK, Change(key::AecEnable, 0));
    EXPECT_EQ(Chain{}, ChainOfOnePeriod(2, 2, 256));  // Noise Reduction is off
}

TEST_F(MicRefresh, EncTurnsTheNoiseFamilyOff) {
    LockWithAllNoiseEffectsOn();
    EXPECT_EQ(S_OK, Change(key::EncEnable, 1));
    EXPECT_TRUE(ParamsOf(Noise).empty());
    EXPECT_EQ((Chain{L"enc"}), ChainOfOnePeriod(2, 2, 256));

    // Zur AEC going on turns all four off.
    LockWithAllNoiseEffectsOn();
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    EXPECT_EQ(Chain{}, ChainOfOnePeriod(2, 2, 256));
}

TEST_F(MicRefresh, IndependentEffectsStayOn) {
    EXPECT_EQ(S_OK, Change(key::MixOutputEnable, 3));
    EXPECT_EQ(S_OK, Change(key::MagicVoiceEnable, 1));
    EXPECT_EQ(S_OK, Change(key::NoiseReductionEnable, 1));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    EXPECT_EQ((Chain{L"voice", L"mix"}), ChainOfOnePeriod(2, 2, 256));
}

TEST_F(MicRefresh, MagicVoiceTypeIsSentAsTypePlusOneUpToThree) {
    PutUInt(fx_.Get(), key::MagicVoiceType, 2);
    EXPECT_EQ(S_OK, Change(key::MagicVoiceEnable, 1));
    EXPECT_EQ((Params{{7, {3}}}), ParamsOf(Voice));
    EXPECT_EQ((Chain{L"voice"}), ChainOfOnePeriod(2, 2, 256));

    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::MagicVoiceType, 4));
    EXPECT_EQ(S_OK, Change(key::MagicVoiceType, 0));
    EXPECT_EQ((Params{{7, {1}}}), ParamsOf(Voice));

    // A type of 4 or more is never sent, but the effect still goes on.
    EXPECT_EQ(S_OK, Change(key::MagicVoiceEnable, 0));
    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::MagicVoiceType, 3));  // off: not sent
    PutUInt(fx_.Get(), key::MagicVoiceType, 7);
    EXPECT_EQ(S_OK, Change(key::MagicVoiceEnable, 1));
    EXPECT_TRUE(ParamsOf(Voice).empty());
    EXPECT_EQ((Chain{L"voice"}), ChainOfOnePeriod(2, 2, 256));
}

TEST_F(MicRefresh, EchoSettingIsPushedOnlyWhileEchoIsOn) {
    EXPECT_EQ(S_OK, Change(key::MicEchoAmount, settings::EncodeSigned(-5)));
    EXPECT_TRUE(ParamsOf(Voice).empty());
    EXPECT_EQ(S_OK, Change(key::MicEchoEnable, 1));
    EXPECT_EQ((Params{{8, Bytes(0xFFFFFFFBu)}}), ParamsOf(Voice));
    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::MicEchoAmount, 12));
    EXPECT_EQ((Params{{8, Bytes(12)}}), ParamsOf(Voice));
    log_.Clear();
    EXPECT_EQ(S_OK, Change(key::MicEchoEnable, 0));
    EXPECT_EQ(S_OK, Change(key::MicEchoAmount, 11));
    EXPECT_TRUE(ParamsOf(Voice).empty());
    EXPECT_EQ(Chain{}, ChainOfOnePeriod(2, 2, 256));

    // Echo going on without a readable amount still turns it on.
    PutBool(fx_.Get(), key::MicEchoAmount, true);
    EXPECT_EQ(S_OK, Change(key::MicEchoEnable, 1));
    EXPECT_TRUE(ParamsOf(Voice).empty());
    EXPECT_EQ((Chain{L"voice"}), ChainOfOnePeriod(2, 2, 256));
}

TEST_F(MicRefresh, ResultsOfOddCalls) {
    const PROPERTYKEY enc = settings::ToPropertyKey(key::EncEnable);
    EXPECT_EQ(S_OK, processor_->OnPropertyChanged(&enc, nullptr));
    EXPECT_EQ(E_POINTER, processor_->OnPropertyChanged(nullptr, fx_.Get()));

    // A key of another family or unknown to the processor changes nothing.
    EXPECT_EQ(S_OK, Change(key::EqualizerEnable, 1));
    EXPECT_EQ(S_OK, Change(key::CapturePathA, 1));
    EXPECT_TRUE(log_.Calls().empty());

    // A value of the wrong type leaves the flag as it was.
    ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    PutBool(fx_.Get(), key::MixOutputEnable, false);
    EXPECT_EQ(S_OK, Notify(key::MixOutputEnable));
    EXPECT_EQ((Chain{L"mix"}), ChainOfOnePeriod(2, 2, 256));

    // An object that is no store: every read fails with E_POINTER.
    ComPtr<IUnknown> notAStore(Reg(Enc).Instance(0));
    EXPECT_EQ(E_POINTER, processor_->OnPropertyChanged(&enc, notAStore.Get()));
    const PROPERTYKEY unknown = settings::ToPropertyKey(key::EqualizerEnable);
    EXPECT_EQ(E_NOINTERFACE, processor_->OnPropertyChanged(&unknown, notAStore.Get()));

    // A failing read and a failing push are reported.
    ComPtr<IPropertyStore> failing = ComPtr<IPropertyStore>::Attach(new FailingPropertyStore(E_ACCESSDENIED));
    EXPECT_EQ(E_ACCESSDENIED, processor_->OnPropertyChanged(&enc, failing.Get()));
    Reg(Noise).Behaviour().setParameterResult = E_ABORT;
    EXPECT_EQ(E_ABORT, Change(key::BeamFormingEnable, 1));
}

TEST_F(MicRefresh, WithoutComponentsFlagsStillChange) {
    Unregister();
    ASSERT_EQ(E_NOINTERFACE, InitializeAs(settings::FormFactorSpeakers));
    EXPECT_EQ(S_OK, Change(key::NoiseReductionEnable, 1));
    EXPECT_EQ(S_OK, Change(key::MagicVoiceEnable, 1));
    EXPECT_EQ(S_OK, Change(key::MicEchoAmount, 4));
    EXPECT_EQ(1, RunPeriod(2, 2, 256));
}

}  // namespace
}  // namespace qx::test
