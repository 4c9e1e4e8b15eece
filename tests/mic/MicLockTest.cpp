// Initialize and LockForProcess of the capture processor: which components exist, what
// each lock tells them and what the two operations return.
#include <windows.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include "tests/mic/MicFixture.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/WaveFormats.h"

namespace qx::test {
namespace {

namespace key = settings::key;

class MicInitialize : public MicTest {};
class MicLock : public MicTest {};

size_t Instances(ComponentRegistration& r) { return r.InstanceCount(); }

TEST_F(MicInitialize, MicrophoneCreatesTheFourComponentsAndOthersNone) {
    EXPECT_EQ(E_POINTER, processor_->Initialize(nullptr));

    EXPECT_EQ(E_NOINTERFACE, InitializeAs(settings::FormFactorSpeakers));
    for (int c = 0; c < ComponentCount; ++c) EXPECT_EQ(0u, Instances(Reg(Component(c))));

    EXPECT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    for (int c = 0; c < ComponentCount; ++c) EXPECT_EQ(1u, Instances(Reg(Component(c))));

    // A second call replaces the components and lets the first ones go.
    EXPECT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    for (int c = 0; c < ComponentCount; ++c) {
        EXPECT_EQ(2u, Instances(Reg(Component(c))));
        EXPECT_EQ(1, Reg(Component(c)).Instance(0)->RefCount());
    }
    processor_.Reset();
    for (int c = 0; c < ComponentCount; ++c) EXPECT_TRUE(Reg(Component(c)).AllReleasedByOthers());
}

TEST_F(MicInitialize, AStoreThatCannotBeReadKeepsTheEarlierFormFactor) {
    ComPtr<IPropertyStore> failing = ComPtr<IPropertyStore>::Attach(new FailingPropertyStore(E_ACCESSDENIED));
    // Never read: no form factor, no components, the read's failure is returned.
    EXPECT_EQ(E_ACCESSDENIED, processor_->Initialize(failing.Get()));
    EXPECT_EQ(0u, Instances(Reg(Enc)));

    EXPECT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    EXPECT_EQ(E_ACCESSDENIED, processor_->Initialize(failing.Get()));
    EXPECT_EQ(2u, Instances(Reg(Enc)));
    EXPECT_EQ(2u, Instances(Reg(Mix)));

    // An object that is no property store at all.
    ComPtr<IUnknown> notAStore(Reg(Enc).Instance(1));
    EXPECT_EQ(E_NOINTERFACE, processor_->Initialize(notAStore.Get()));
}

TEST_F(MicInitialize, MissingComponentsAreAbsentWithoutError) {
    Unregister();
    Register({Voice});
    EXPECT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    Unregister();
    EXPECT_EQ(E_NOINTERFACE, InitializeAs(settings::FormFactorMicrophone));
}

TEST_F(MicLock, InitializesEveryComponentAndPushesItsSettingsInOrder) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    PutUInt(fx_.Get(), key::MagicVoiceEnable, 1);
    PutUInt(fx_.Get(), key::MagicVoiceType, 2);
    PutUInt(fx_.Get(), key::MicEchoEnable, 5);
    PutUInt(fx_.Get(), key::MicEchoAmount, settings::EncodeSigned(-3));
    PutUInt(fx_.Get(), key::BeamFormingEnable, 1);
    PutUInt(fx_.Get(), key::AecEnable, 1);
    PutUInt(fx_.Get(), key::CapturePathA, 9);
    PutUInt(fx_.Get(), key::CapturePathB, 7);

    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));

    const std::vector<ComponentCall> calls = log_.Calls();
    struct Expected {
        const wchar_t* who;
        ComponentCall::Kind kind;
        int idOrFlag;
        std::vector<uint8_t> data;
    };
    const std::vector<Expected> expected = {
        {L"enc", ComponentCall::Initialize, 1, {}},
        {L"voice", ComponentCall::Initialize, 0, {}},
        {L"voice", ComponentCall::SetParameter, 7, {3}},
        {L"voice", ComponentCall::SetParameter, 8, Bytes(settings::EncodeSigned(-3))},
        {L"noise", ComponentCall::Initialize, 0, {}},
        {L"noise", ComponentCall::SetParameter, 31, {3}},
        {L"noise", ComponentCall::SetParameter, 32, {1}},
        {L"mix", ComponentCall::Initialize, 0, {}},
    };
    ASSERT_EQ(expected.size(), calls.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].who, calls[i].component);
        ASSERT_EQ(expected[i].kind, calls[i].kind);
        if (calls[i].kind == ComponentCall::Initialize) {
            EXPECT_EQ(UINT32(expected[i].idOrFlag), calls[i].flag);
            EXPECT_EQ(480u, calls[i].maxFrames);
            ASSERT_TRUE(calls[i].hasIn);
            ExpectFloatFormat(calls[i].in, 48000, 2);
            EXPECT_EQ(calls[i].component != L"mix", calls[i].hasOut);
            if (calls[i].hasOut) ExpectFloatFormat(calls[i].out, 48000, 2);
        } else {
            EXPECT_EQ(expected[i].idOrFlag, calls[i].id);
            EXPECT_EQ(expected[i].data, calls[i].data);
        }
    }
}

TEST_F(MicLock, SettingsThatDoNotCountLeaveFlagsAndPushesAlone) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    // Magic Voice is on, but its type is out of range; the echo amount is of a wrong type.
    PutUInt(fx_.Get(), key::MagicVoiceEnable, 1);
    PutUInt(fx_.Get(), key::MagicVoiceType, 4);
    PutUInt(fx_.Get(), key::MicEchoEnable, 1);
    PutBool(fx_.Get(), key::MicEchoAmount, true);
    PutBool(fx_.Get(), key::CapturePathA, true);
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));
    EXPECT_TRUE(ParamsOf(Voice).empty());
    EXPECT_EQ(0u, log_.CallsOf(L"enc")[0].flag);
    EXPECT_EQ((std::vector<uint8_t>{0}), ParamsOf(Noise)[0].second);  // mode 0
    EXPECT_EQ((std::vector<uint8_t>{0}), ParamsOf(Noise)[1].second);  // capture path B absent

    // Mix Output turned on outside; a lock that finds its key of a wrong type keeps it on.
    EXPECT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    PutBool(fx_.Get(), key::MixOutputEnable, false);
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));
    const auto chain = ChainOfOnePeriod(2, 2, 480);
    EXPECT_EQ((std::vector<std::wstring>{L"voice", L"mix"}), chain);
}

TEST_F(MicLock, ResultIsThatOfTheLastStepThatCounts) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    Reg(Mix).Behaviour().initializeResult = HRESULT(0x80001234);
    EXPECT_EQ(HRESULT(0x80001234), Lock(48000, 2, 2, 480));

    Reg(Mix).Behaviour().initializeResult = S_OK;
    Reg(Noise).Behaviour().setParameterResult = E_ABORT;
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));  // Mix Output's Initialize decides
}

TEST_F(MicLock, ResultWithoutTheLaterComponents) {
    Unregister();
    Register({Enc, Voice});
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    Reg(Voice).Behaviour().setParameterResult = E_ABORT;
    Reg(Enc).Behaviour().initializeResult = HRESULT(0x80004321);
    // The voice step counts only when one of its settings is read.
    EXPECT_EQ(HRESULT(0x80004321), Lock(48000, 2, 2, 480));
    PutUInt(fx_.Get(), key::MagicVoiceEnable, 1);
    PutUInt(fx_.Get(), key::MagicVoiceType, 1);
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));  // the type's read, not its push
    PutUInt(fx_.Get(), key::MicEchoEnable, 1);
    PutUInt(fx_.Get(), key::MicEchoAmount, 3);
    EXPECT_EQ(E_ABORT, Lock(48000, 2, 2, 480));  // the echo push

    // Without any component the last flag read decides; without a store it fails.
    Unregister();
    EXPECT_EQ(E_NOINTERFACE, InitializeAs(settings::FormFactorMicrophone));
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));
    EXPECT_EQ(E_POINTER, processor_->LockForProcess(48000, 2, 2, 480, nullptr, 1));
}

TEST_F(MicLock, RejectsFormatsItCannotWorkOn) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    log_.Clear();
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 0, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 9, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 0, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 9, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(0, 2, 2, 480));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 2, 0));
    EXPECT_EQ(E_INVALIDARG, Lock(48000, 2, 2, (1u << 20) + 1));  // the frame limit of every processor
    EXPECT_TRUE(log_.Calls().empty());
}

// Whether a lock allocated buffers for eight channels of `frames` frames, give or take
// a few spare frames.
bool AllocatedBuffersOf(const std::vector<size_t>& sizes, uint32_t frames) {
    const size_t least = 8 * size_t(frames) * sizeof(float);
    for (size_t s : sizes)
        if (s >= least && s < least + 8 * 16 * sizeof(float)) return true;
    return false;
}

TEST_F(MicLock, A441FramePeriodGets480FrameBuffersAndBuffersOnlyGrow) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    {
        AllocationCounter counter(AllocationCounter::Threads::Calling);
        EXPECT_EQ(S_OK, Lock(44100, 2, 2, 441));
        EXPECT_FALSE(AllocatedBuffersOf(counter.Sizes(), 441));
        EXPECT_TRUE(AllocatedBuffersOf(counter.Sizes(), 480));
    }
    EXPECT_EQ(441u, log_.CallsOf(L"enc")[0].maxFrames);
    {
        AllocationCounter counter(AllocationCounter::Threads::Calling);
        EXPECT_EQ(S_OK, Lock(44100, 2, 2, 470));  // fits: nothing new
        EXPECT_FALSE(AllocatedBuffersOf(counter.Sizes(), 470));
        EXPECT_FALSE(AllocatedBuffersOf(counter.Sizes(), 480));
    }

    ComPtr<IQXEffectProcessor> other = NewProcessor();
    AllocationCounter counter(AllocationCounter::Threads::Calling);
    EXPECT_EQ(S_OK, other->LockForProcess(44100, 2, 2, 440, fx_.Get(), 1));
    EXPECT_TRUE(AllocatedBuffersOf(counter.Sizes(), 440));
    EXPECT_FALSE(AllocatedBuffersOf(counter.Sizes(), 480));
}

}  // namespace
}  // namespace qx::test
