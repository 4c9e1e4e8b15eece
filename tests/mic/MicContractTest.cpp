// The capture processor against its contract, written out here once: components per
// endpoint, the rates its components run at, what each is initialised with and sent at
// lock time and on a change, the noise families that exclude each other, and a period.
#include "tests/mic/MicHarness.h"

namespace qx::test::mic {
namespace {

TEST_F(MicTest, OnlyAMicrophoneGetsComponents) {
    EXPECT_EQ(Held(), (Names{L"enc", L"voice", L"noise", L"mix"}));
    EXPECT_EQ(E_NOINTERFACE, p_->Initialize(p_.Get()));  // no store: the earlier form factor stays
    EXPECT_EQ(Held().size(), 4u);
    EXPECT_EQ(E_NOINTERFACE, Init(kSpeakers));
    EXPECT_EQ(Held(), Names{});
    EXPECT_EQ(E_POINTER, p_->Initialize(nullptr));
    Drop(L"voice");
    EXPECT_EQ(S_OK, Init(kMicrophone));
    EXPECT_EQ(Held(), (Names{L"enc", L"noise", L"mix"}));
    for (const ContractComponent& c : kClasses) Drop(c.name);
    EXPECT_EQ(E_NOINTERFACE, Init(kMicrophone));
    Enable({kNoiseReduction, kMagicVoice});
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 16));  // the last enable-key read
    EXPECT_EQ(E_POINTER, p_->LockForProcess(48000, 2, 2, 16, nullptr, 1));
    EXPECT_EQ(1, Run(2, 2, 16));
}

// ---- lock: rates and formats ----

TEST_F(MicTest, ComponentsRunAtTheEffectRate) {
    float sample[2] = {};
    ASSERT_EQ(S_OK, Set(kMixOutput, 1));
    EXPECT_EQ(E_UNEXPECTED, p_->Process(sample, sample, 1));  // never locked
    ExpectLocks({{48000, 2, 2, 480, S_OK, 48000, 480},   {44100, 2, 2, 441, S_OK, 44100, 441},
                 {16000, 2, 2, 160, S_OK, 48000, 480},   {22050, 2, 2, 441, S_OK, 44100, 882},
                 {8000, 1, 1, 80, S_OK, 48000, 480},     {11025, 2, 2, 110, S_OK, 44100, 440},
                 {96000, 2, 2, 960, S_OK, 48000, 480},   {176400, 2, 2, 1764, S_OK, 44100, 441},
                 {32000, 2, 2, 320, S_OK, 48000, 320},  // no stage for this pair: unconverted, labelled 48000
                 {48000, 9, 2, 480, E_INVALIDARG}});
    for (const auto& rate : {std::pair<uint32_t, uint32_t>{16000, 480}, {32000, 320}}) {
        ASSERT_EQ(S_OK, Lock(rate.first, 2, 2, rate.first / 100));
        log_.Clear();
        EXPECT_EQ(S_OK, Run(2, 2, rate.first / 100));
        EXPECT_EQ(log_.Calls(ComponentCall::Process).at(0).frames, rate.second);
        EXPECT_NE(out_.back(), kUntouched);
    }
}

// Whether a lock allocated eight buffers of `frames` frames, give or take a few spare frames.
bool AllocatedBuffersOf(const std::vector<size_t>& sizes, uint32_t frames) {
    for (size_t s : sizes)
        if (s >= 8 * frames * sizeof(float) && s < 8 * (frames + 16) * sizeof(float)) return true;
    return false;
}

TEST_F(MicTest, A441FramePeriodGets480FrameBuffers) {
    AllocationCounter counter(AllocationCounter::Threads::Calling);
    EXPECT_EQ(S_OK, Lock(44100, 2, 2, 441));
    EXPECT_FALSE(AllocatedBuffersOf(counter.Sizes(), 441));
    EXPECT_TRUE(AllocatedBuffersOf(counter.Sizes(), 480));
}

TEST_F(MicTest, LockReportsTheLastStepThatCounts) {
    Behaviour(L"mix").initializeResult = HRESULT(0x80001234);
    EXPECT_EQ(HRESULT(0x80001234), Lock(48000, 2, 2, 480));
    Drop(L"mix");
    Drop(L"noise");
    ASSERT_EQ(S_OK, Init(kMicrophone));
    Behaviour(L"voice").setParameterResult = E_ABORT;
    Behaviour(L"enc").initializeResult = HRESULT(0x80004321);
    EXPECT_EQ(HRESULT(0x80004321), Lock(48000, 2, 2, 480));  // the voice step read nothing
    Put({U(kMagicVoice, 1), U(kVoiceType, 1)});
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));  // the type's read, not its push
    Put({U(kEcho, 1), U(kEchoAmount, 3)});
    EXPECT_EQ(E_ABORT, Lock(48000, 2, 2, 480));  // the echo push
}

// ---- locks and changes: the calls, and the families that exclude each other ----

struct ChangeRow {
    const char* what;
    std::vector<KeyId> onAtLock;
    std::vector<Value> store;
    std::vector<Value> changes;  // none: the row checks the lock's calls, Initialize included
    Pushes calls;
    Names chain;  // what runs in the next period
};
const std::vector<KeyId> kNoiseFamilies = {kEnc, kNoiseReduction, kBeamForming, kAec};
const ChangeRow kChanges[] = {
    {"a lock with an empty store", {}, {}, {},
     {I(L"enc", 2, 2, 0), I(L"voice", 2, 2, 0), I(L"noise", 2, 2, 0), {L"noise", 31, {0}}, {L"noise", 32, {0}},
      I(L"mix", 2, 0, 0)},
     {}},
    {"a lock with every setting", {kMagicVoice, kEcho, kBeamForming, kAec},
     {U(kEcho, 5), U(kVoiceType, 2), U(kEchoAmount, uint32_t(-3)), U(kPathA, 9), U(kPathB, 7)}, {},
     {I(L"enc", 2, 2, 1), I(L"voice", 2, 2, 0), {L"voice", 7, {3}}, {L"voice", 8, Words({uint32_t(-3)})},
      I(L"noise", 2, 2, 0), {L"noise", 31, {3}}, {L"noise", 32, {1}}, I(L"mix", 2, 0, 0)},
     {L"noise", L"voice"}},
    {"a lock with settings that do not count", {kMagicVoice, kEcho, kBeamForming},
     {U(kVoiceType, 4), Wrong(kEchoAmount), Wrong(kPathA)}, {},
     {I(L"enc", 2, 2, 0), I(L"voice", 2, 2, 0), I(L"noise", 2, 2, 0), {L"noise", 31, {1}}, {L"noise", 32, {0}},
      I(L"mix", 2, 0, 0)},
     {L"noise", L"voice"}},
    {"a lock sends voice settings only for effects that are on", {kAec}, {U(kVoiceType, 1), U(kEchoAmount, 4)}, {},
     {I(L"enc", 2, 2, 0), I(L"voice", 2, 2, 0), I(L"noise", 2, 2, 0), {L"noise", 31, {2}}, {L"noise", 32, {0}},
      I(L"mix", 2, 0, 0)},
     {L"noise"}},
    {"Noise Reduction turns the other families off and sends 0", kNoiseFamilies, {}, {U(kNoiseReduction, 1)},
     {{L"noise", 31, {0}}}, {L"noise"}},
    {"Noise Reduction off sends nothing", {kNoiseReduction}, {}, {U(kNoiseReduction, 0)}, {}, {}},
    {"AEC alone", {}, {}, {U(kAec, 1)}, {{L"noise", 31, {2}}}, {L"noise"}},
    {"Beam Forming while AEC is on", {kAec}, {}, {U(kBeamForming, 1)}, {{L"noise", 31, {3}}}, {L"noise"}},
    {"Beam Forming off while AEC is on", {kBeamForming, kAec}, {}, {U(kBeamForming, 0)}, {{L"noise", 31, {2}}},
     {L"noise"}},
    {"AEC turns ENC and Noise Reduction off", {kEnc, kNoiseReduction}, {}, {U(kAec, 1), U(kAec, 0)},
     {{L"noise", 31, {2}}, {L"noise", 31, {0}}}, {}},
    {"ENC turns the noise family off", {kNoiseReduction, kBeamForming, kAec}, {}, {U(kEnc, 1)}, {}, {L"enc"}},
    {"Zur AEC turns all four off", kNoiseFamilies, {}, {U(kZurAec, 1)}, {}, {}},
    {"a noise effect turns Zur AEC off, and Zur AEC turns it off again", {kZurAec}, {},
     {U(kBeamForming, 1), U(kZurAec, 1)}, {{L"noise", 31, {1}}}, {}},
    {"independent effects stay on", {}, {}, {U(kMixOutput, 3), U(kMagicVoice, 1), U(kNoiseReduction, 1), U(kZurAec, 1)},
     {{L"noise", 31, {0}}}, {L"voice", L"mix"}},
    {"Magic Voice type 2 is sent as 3", {}, {U(kVoiceType, 2)}, {U(kMagicVoice, 1)}, {{L"voice", 7, {3}}}, {L"voice"}},
    {"Magic Voice types while on, up to 3", {kMagicVoice}, {}, {U(kVoiceType, 4), U(kVoiceType, 0)},
     {{L"voice", 7, {1}}}, {L"voice"}},
    {"a Magic Voice type while off", {}, {}, {U(kVoiceType, 3)}, {}, {}},
    {"Magic Voice with type 7 goes on unsent", {}, {U(kVoiceType, 7)}, {U(kMagicVoice, 1)}, {}, {L"voice"}},
    {"Magic Voice off", {kMagicVoice}, {}, {U(kMagicVoice, 0)}, {}, {}},
    {"an echo amount while echo is off", {}, {}, {U(kEchoAmount, uint32_t(-5))}, {}, {}},
    {"echo on sends the amount", {}, {U(kEchoAmount, uint32_t(-5))}, {U(kEcho, 1)},
     {{L"voice", 8, Words({uint32_t(-5)})}}, {L"voice"}},
    {"an echo amount while on", {kEcho}, {}, {U(kEchoAmount, 12)}, {{L"voice", 8, Words({12})}}, {L"voice"}},
    {"echo on without a readable amount", {}, {Wrong(kEchoAmount)}, {U(kEcho, 1)}, {}, {L"voice"}},
    {"a wrong type leaves a flag", {kMixOutput}, {}, {Wrong(kMixOutput)}, {}, {L"mix"}},
    {"keys read only at lock, or of another family", {}, {}, {U(kPathA, 1), U(Key("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}", 0), 1)}, {}, {}},
};

TEST_F(MicTest, LocksAndChangesFollowTheirRules) {
    for (const ChangeRow& row : kChanges) {
        SCOPED_TRACE(row.what);
        fx_ = NewMemoryStore();
        Enable(row.onAtLock);
        Put(row.store);
        log_.Clear();
        ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
        if (!row.changes.empty()) log_.Clear();
        for (const Value& change : row.changes) {
            Put(change);
            EXPECT_EQ(S_OK, Report(change.key));
        }
        EXPECT_EQ(CallsOf({}), row.calls);
        EXPECT_EQ(Chain(), row.chain);
    }
}

TEST_F(MicTest, ChangeStatuses) {
    const PROPERTYKEY enc{ToGuid(kEnc.fmtid), kEnc.pid};
    EXPECT_EQ(S_OK, p_->OnPropertyChanged(&enc, nullptr));
    EXPECT_EQ(E_POINTER, p_->OnPropertyChanged(nullptr, fx_.Get()));
    EXPECT_EQ(E_POINTER, p_->OnPropertyChanged(&enc, p_.Get()));  // no store: every read fails
    const PROPERTYKEY unknown{ToGuid(kMixOutput.fmtid), 9};
    EXPECT_EQ(E_NOINTERFACE, p_->OnPropertyChanged(&unknown, p_.Get()));  // the query's status
    ComPtr<IPropertyStore> failing = ComPtr<IPropertyStore>::Attach(new FailingPropertyStore(E_ACCESSDENIED));
    EXPECT_EQ(E_ACCESSDENIED, p_->OnPropertyChanged(&enc, failing.Get()));
    Behaviour(L"noise").setParameterResult = E_ABORT;
    EXPECT_EQ(E_ABORT, Set(kBeamForming, 1));
}

// ---- a period ----

TEST_F(MicTest, APeriodRunsTheChainInPlace) {
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    EXPECT_EQ(1, Run(2, 2, 16));
    EXPECT_EQ(out_, std::vector<float>(32, kUntouched));
    Enable({kEnc});  // ENC works only on two input channels
    ASSERT_EQ(S_OK, Lock(48000, 1, 1, 16));
    EXPECT_EQ(1, Run(1, 1, 16));
    EXPECT_EQ(out_, std::vector<float>(16, kUntouched));

    // Flags that exclude each other on a change can all be on after a lock.
    Enable({kEnc, kNoiseReduction, kMagicVoice, kMixOutput});
    ASSERT_EQ(S_OK, Lock(48000, 1, 2, 16));
    Behaviour(L"noise").processResult = E_FAIL;  // does not stop the chain
    Behaviour(L"mix").processResult = HRESULT(2);
    // Mix Output doubles channel 0 and writes 0.25 into channel 1, which has no input.
    Behaviour(L"mix").onProcess = [](float* const* in, void* const*, UINT32 frames) {
        for (UINT32 i = 0; i < frames; ++i) in[0][i] *= 2.0f, in[1][i] = 0.25f;
    };
    log_.Clear();
    EXPECT_EQ(HRESULT(2), Run(1, 2, 12));
    EXPECT_EQ(log_.ProcessOrder(), (Names{L"enc", L"noise", L"voice", L"mix"}));
    for (const ComponentCall& call : log_.Calls(ComponentCall::Process)) {
        EXPECT_EQ(call.frames, 12u);
        EXPECT_EQ(static_cast<const void*>(call.inTable), static_cast<const void*>(call.outTable));
    }
    for (uint32_t i = 0; i < 12; ++i) {
        EXPECT_FLOAT_EQ(out_[2 * i], 2 * RampAt(i, 0));
        EXPECT_EQ(out_[2 * i + 1], 0.25f);
    }
    EXPECT_EQ(HRESULT(2), p_->Process(in_.data(), out_.data(), 0));
}

// At 16000 the components see three times the frames at the same level, and a constant
// comes back at its level; a channel above the input is handed back unconverted. No
// period allocates.
TEST_F(MicTest, ConvertedPeriodsKeepTheirLevel) {
    Enable({kMixOutput, kEnc, kBeamForming, kEcho});
    float seen = 0;
    Behaviour(L"mix").onProcess = [&](float* const* in, void* const*, UINT32 frames) {
        seen = in[0][frames - 1];
        for (UINT32 i = 0; i < frames; ++i) in[1][i] = float(i);
    };
    ASSERT_EQ(S_OK, Lock(16000, 1, 2, 160));
    in_.assign(160, 0.25f);
    out_.assign(320, 0.0f);
    for (int period = 0; period < 20; ++period) EXPECT_EQ(S_OK, p_->Process(in_.data(), out_.data(), 160));
    EXPECT_EQ(PeriodAllocations(160), 0u);
    EXPECT_NEAR(seen, 0.25f, 0.002f);
    for (uint32_t i = 0; i < 160; ++i) {
        ASSERT_NEAR(out_[2 * i], 0.25f, 0.002f) << i;
        ASSERT_EQ(out_[2 * i + 1], float(i)) << i;
    }
}

}  // namespace
}  // namespace qx::test::mic
