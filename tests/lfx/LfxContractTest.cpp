// The render local-effects processor against its contract, written out here once: the
// components per endpoint, the formats it accepts, how each component is initialised and
// what it is sent at lock time and on a change, and which effects exclude each other.
#include "tests/lfx/LfxHarness.h"

namespace qx::test::lfx {
namespace {

TEST_F(LfxTest, EachEndpointGetsItsComponents) {
    EXPECT_EQ(Held(), (Names{L"Nuvex", L"Shifter", L"Dolby", L"ProLogic", L"Sensation", L"Neo", L"Clarity"}));
    EXPECT_EQ(S_OK, Init(kSpdif));  // no Dolby Surround on S/PDIF
    EXPECT_EQ(Held(), (Names{L"Nuvex", L"Shifter", L"ProLogic", L"Sensation", L"Neo", L"Clarity"}));
    EXPECT_EQ(E_POINTER, p_->Initialize(nullptr));
    EXPECT_EQ(E_NOINTERFACE, p_->Initialize(p_.Get()));  // creates all the same,
    EXPECT_EQ(Held().size(), 6u);                        // for the form factor read before
    for (const ContractComponent& c : kClasses) Drop(c.name);
    EXPECT_EQ(S_OK, Init(kSpeakers));  // the host's own up-mix is always there
    EXPECT_EQ(E_NOTIMPL, p_->IsEncodedFormatSupported(146));
    EXPECT_EQ(E_NOTIMPL, p_->ProcessMonitor(nullptr, 1));
}

// ---- lock: formats ----

TEST_F(LfxTest, LockAcceptsWorkingFormatsAtTheInternalRate) {
    float sample[2] = {};
    EXPECT_EQ(E_UNEXPECTED, p_->Process(sample, sample, 1));  // never locked
    ExpectLocks({{48000, 2, 6, 256, S_OK, 48000, 256},  {44100, 2, 6, 256, S_OK, 44100, 256},
                 {22050, 2, 6, 256, S_OK, 44100, 512},  {11025, 2, 6, 256, S_OK, 44100, 1024},
                 {96000, 2, 6, 256, S_OK, 48000, 128},  {32000, 2, 6, 256, S_OK, 48000, 256},
                 {48000, 2, 9, 64, E_INVALIDARG}});
}

// ---- set-up at lock time and calls on a change ----

Bytes NeoRecord(uint8_t dimension, float gain) { return Join({{dimension, 0, 0, 0}, Float(gain)}); }
Push Speaker(uint32_t index, float angle, float level) {
    return {L"Shifter", 16, Join({Words({index}), Float(angle), Float(level)})};
}
const Pushes kSpeakerDefaults = {Speaker(0, -45, 1), Speaker(1, 45, 1),   Speaker(4, 0, 1),   Speaker(5, -90, 1),
                                 Speaker(6, 90, 1),  Speaker(2, -135, 1), Speaker(3, 135, 1), Speaker(7, 0, 1)};
const Pushes kProLogicAsUpMixer = {{L"ProLogic", 18, {3, 0}}, {L"ProLogic", 19, {7}}, {L"ProLogic", 20, {0}},
                                   {L"ProLogic", 21, {1}}};

struct SetUpRow {
    const char* what;
    uint32_t in, out;
    std::vector<Value> store;
    std::vector<Value> changes;  // none: the row checks the lock itself
    Names components;            // whose calls the row checks; none: all
    Pushes calls;
};
const SetUpRow kSetUps[] = {
    {"up-mixers with defaults", 2, 6, {}, {}, {L"ProLogic", L"Neo"},
     {I(L"ProLogic", 2, 6, 0), {L"ProLogic", 18, {7, 3}}, I(L"Neo", 2, 6, 0), {L"Neo", 24, NeoRecord(7, 5.0f)},
      {L"Neo", 23, {1}}}},
    {"up-mixers with stored settings; quad is described as 5.1", 4, 8,
     {U(ProLogicKey(1), 12), U(ProLogicKey(2), 0x105), U(ProLogicKey(3), 1), U(ProLogicKey(4), 9), U(NeoKey(1), 2),
      U(NeoKey(2), 3), U(NeoKey(3), 1)},
     {}, {L"ProLogic", L"Neo"},
     {I(L"ProLogic", 6, 8, 0), {L"ProLogic", 18, {12, 5}}, {L"ProLogic", 19, {2}}, {L"ProLogic", 20, {1}},
      I(L"Neo", 6, 8, 0), {L"Neo", 24, NeoRecord(2, 0.3f)}, {L"Neo", 23, {2}}}},
    {"a quad output is described as 5.1", 6, 4, {U(ProLogicKey(3), 0), U(ProLogicKey(4), 0)}, {}, {L"ProLogic"},
     {I(L"ProLogic", 6, 6, 0), {L"ProLogic", 18, {7, 3}}, {L"ProLogic", 19, {3}}, {L"ProLogic", 20, {0}}}},
    {"nothing to up-mix in 7.1", 8, 8, {}, {}, {L"ProLogic", L"Neo"}, {}},
    {"Dolby Surround on stereo, mode unread: headphone", 2, 2, {U(DolbyKey(2), 2), U(DolbyKey(3), 1)}, {},
     {L"ProLogic", L"Dolby"},
     Concat(Concat({I(L"ProLogic", 2, 6, 1)}, kProLogicAsUpMixer),
            {{L"ProLogic", 22, {1}}, I(L"Dolby", 6, 2, 1), {L"Dolby", 17, {3}}})},
    {"Dolby Surround, speaker mode", 2, 2, {U(DolbyKey(1), 0), U(DolbyKey(2), 2), U(DolbyKey(3), 1)}, {},
     {L"ProLogic", L"Dolby"},
     Concat(Concat({I(L"ProLogic", 2, 6, 0)}, kProLogicAsUpMixer),
            {{L"ProLogic", 22, {0}}, I(L"Dolby", 6, 2, 0), {L"Dolby", 17, {6}}})},
    {"Dolby Surround on 5.1 needs no up-mixer", 6, 2, {}, {}, {L"ProLogic", L"Dolby"}, {I(L"Dolby", 6, 2, 1)}},
    {"Surround Sensation on stereo with Neo:PC", 2, 2,
     {U(SensationKey(1), 0), U(SensationKey(8), 0x101), U(SensationKey(10), 5), U(SensationKey(9), 2),
      U(SensationKey(2), 7)},
     {}, {L"Neo", L"Sensation"},
     {I(L"Neo", 2, 6, 0), I(L"Sensation", 6, 2, 1), {L"Sensation", 25, {0}}, {L"Sensation", 26, {1}},
      {L"Sensation", 27, {1}}, {L"Sensation", 28, {15}}, {L"Sensation", 29, Float(0.7f)}}},
    {"Surround Sensation on 5.1", 6, 2, {}, {}, {L"Neo", L"Sensation"}, {I(L"Sensation", 6, 2, 0)}},
    {"Nuvex, mode unread", 2, 2, {}, {}, {L"Nuvex"}, {I(L"Nuvex", 2, 2, 0)}},
    {"Nuvex headphone mode", 2, 2, {U(NuvexKey(1), 1), U(NuvexKey(2), 2), U(NuvexKey(3), 1)}, {}, {L"Nuvex"},
     {I(L"Nuvex", 2, 2, 0), {L"Nuvex", 1, Words({1})}, {L"Nuvex", 2, Words({2})}}},
    {"Nuvex speaker mode, expansion 4 is out of range", 2, 2,
     {U(NuvexKey(1), 0), U(NuvexKey(3), 4), U(NuvexKey(4), 4)}, {}, {L"Nuvex"},
     {I(L"Nuvex", 2, 2, 0), {L"Nuvex", 1, Words({0})}, {L"Nuvex", 4, Words({4})}}},
    {"Nuvex speaker mode, angle 5 is out of range", 2, 2,
     {U(NuvexKey(1), 0), U(NuvexKey(3), 3), U(NuvexKey(4), 5)}, {}, {L"Nuvex"},
     {I(L"Nuvex", 2, 2, 0), {L"Nuvex", 1, Words({0})}, {L"Nuvex", 3, Words({3})}}},
    {"Nuvex takes 5.1 behind Nuvex Surround Max", 2, 2, {U(EnableKey(NuvexMax), 1)}, {}, {L"Nuvex"},
     {I(L"Nuvex", 6, 2, 0)}},
    {"Nuvex takes 5.1 of a quad stream", 4, 2, {}, {}, {L"Nuvex"}, {I(L"Nuvex", 6, 2, 0)}},
    {"Voice Clarity, and the speaker defaults in the component's order", 2, 2, {U(SensationKey(7), 7)}, {},
     {L"Clarity", L"Shifter"},
     Concat({I(L"Clarity", 6, 6, 0), {L"Clarity", 30, Float(7.0f)}, I(L"Shifter", 8, 8, 0)}, kSpeakerDefaults)},
    {"signed angles, levels (30 / d) squared", 2, 6,
     {U(ShifterKey(1), uint32_t(-30)), U(ShifterKey(8), 60), U(ShifterKey(2), 0xFFFFFFFFu), U(ShifterKey(9), 15),
      U(ShifterKey(15), 0)},
     {}, {L"Shifter"},
     {I(L"Shifter", 8, 8, 0), Speaker(0, -30, 0.25f), kSpeakerDefaults[1], Speaker(4, -1, 4.0f), kSpeakerDefaults[3],
      kSpeakerDefaults[4], kSpeakerDefaults[5], kSpeakerDefaults[6], kSpeakerDefaults[7]}},
    // Changes, after a lock with the row's formats.
    {"Pro Logic width", 2, 6, {}, {U(ProLogicKey(2), 4)}, {}, {{L"ProLogic", 18, {7, 4}}}},
    {"Pro Logic decode mode", 2, 6, {}, {U(ProLogicKey(3), 1)}, {}, {{L"ProLogic", 19, {2}}}},
    {"Pro Logic panorama", 2, 6, {}, {U(ProLogicKey(4), 0)}, {}, {{L"ProLogic", 20, {0}}}},
    {"Neo:PC dimension, gain unread: 0.5", 2, 6, {}, {U(NeoKey(1), 3)}, {}, {{L"Neo", 24, NeoRecord(3, 0.5f)}}},
    {"Neo:PC gain", 2, 6, {U(NeoKey(1), 3)}, {U(NeoKey(2), 8)}, {}, {{L"Neo", 24, NeoRecord(3, 0.8f)}}},
    {"Neo:PC decode mode, then unread", 2, 6, {}, {U(NeoKey(3), 1), Wrong(NeoKey(3))}, {},
     {{L"Neo", 23, {2}}, {L"Neo", 23, {1}}}},
    {"Sensation settings", 2, 2, {},
     {U(SensationKey(1), 2), U(SensationKey(8), 0x102), U(SensationKey(10), 0), U(SensationKey(9), 5),
      U(SensationKey(2), 15)},
     {},
     {{L"Sensation", 25, {1}}, {L"Sensation", 26, {2}}, {L"Sensation", 27, {0}}, {L"Sensation", 28, {30}},
      {L"Sensation", 29, Float(1.5f)}}},
    {"Voice Clarity level", 2, 2, {}, {U(SensationKey(7), 3)}, {}, {{L"Clarity", 30, Float(3.0f)}}},
    {"Nuvex settings; an angle above 4 is not sent", 2, 2, {},
     {U(NuvexKey(1), 1), U(NuvexKey(2), 3), U(NuvexKey(3), 9), U(NuvexKey(4), 5), U(NuvexKey(4), 2)}, {},
     {{L"Nuvex", 1, Words({1})}, {L"Nuvex", 2, Words({3})}, {L"Nuvex", 3, Words({9})}, {L"Nuvex", 4, Words({2})}}},
    {"speaker 4 angle, subwoofer distance, no speaker behind pid 16", 2, 2, {},
     {U(ShifterKey(2), uint32_t(-10)), U(ShifterKey(15), 60), U(ShifterKey(16), 60)}, {},
     {Speaker(4, -10, 1), Speaker(7, 0, 0.25f)}},
    {"Dolby mode change re-initialises and tells the up-mixer", 2, 2, {U(DolbyKey(2), 1), U(DolbyKey(3), 1)},
     {U(DolbyKey(1), 0)}, {}, {I(L"Dolby", 6, 2, 0), {L"ProLogic", 22, {0}}, {L"Dolby", 17, {6}}}},
    {"Dolby rooms in speaker mode", 2, 2, {U(DolbyKey(1), 0)}, {U(DolbyKey(2), 1), U(DolbyKey(3), 2)}, {},
     {{L"Dolby", 17, {7}}}},
    {"Dolby rooms with the mode unread", 2, 2, {Wrong(DolbyKey(1))}, {U(DolbyKey(2), 1), U(DolbyKey(3), 1)}, {},
     {{L"Dolby", 17, {2}}}},
    {"Dolby mode on a 5.1 stream leaves the up-mixer alone", 6, 2, {U(DolbyKey(2), 4)}, {U(DolbyKey(1), 2)}, {},
     {I(L"Dolby", 6, 2, 2), {L"Dolby", 17, {5}}}},
    {"the Speaker Shifter and Nuvex Surround Max redo the Nuvex set-up", 2, 2, {},
     {U(EnableKey(Shifter), 1), U(EnableKey(NuvexMax), 1), U(EnableKey(Shifter), 0), U(EnableKey(NuvexMax), 0),
      Wrong(EnableKey(Shifter))},
     {L"Nuvex"}, {I(L"Nuvex", 6, 2, 0), I(L"Nuvex", 6, 2, 0), I(L"Nuvex", 2, 2, 0), I(L"Nuvex", 2, 2, 0)}},
    {"another processor's key", 2, 2, {}, {U(Key("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}", 0), 1)}, {}, {}},
};

TEST_F(LfxTest, ComponentsAreSetUpAndSentTheirSettings) {
    for (const SetUpRow& row : kSetUps) {
        SCOPED_TRACE(row.what);
        fx_ = NewMemoryStore();
        Enable({});
        Put(row.store);
        log_.Clear();
        ASSERT_EQ(S_OK, Lock(48000, row.in, row.out, 64));
        if (!row.changes.empty()) log_.Clear();
        for (const Value& change : row.changes) {
            Put(change);
            EXPECT_EQ(S_OK, Report(change.key));
        }
        EXPECT_EQ(CallsOf(row.components), row.calls);
    }
}

TEST_F(LfxTest, LockReportsTheLastSetUpCall) {
    Behaviour(L"Shifter").setParameterResult = S_FALSE;
    EXPECT_EQ(S_FALSE, Lock(48000, 2, 2, 64));  // the last speaker record
    EXPECT_EQ(E_FAIL, p_->LockForProcess(48000, 2, 2, 64, nullptr, 1));  // the records need a store
    // Without a store the up-mixers get their defaults; the Nuvex set-up needs a store.
    log_.Clear();
    p_->LockForProcess(48000, 2, 6, 64, nullptr, 1);
    EXPECT_EQ(PushesSince().at(0), (Push{L"ProLogic", 18, {7, 3}}));
    EXPECT_TRUE(Inits(L"Nuvex").empty());
    // A failing Initialize ends the Nuvex set-up.
    Behaviour(L"Nuvex").initializeResult = E_ABORT;
    Put(U(NuvexKey(1), 1));
    log_.Clear();
    Lock(48000, 2, 2, 64);
    for (const Push& push : PushesSince()) EXPECT_NE(push.component, L"Nuvex");
}

TEST_F(LfxTest, LockReadsTheEnableKeysFirstInItsOrder) {
    auto* recording = new FailingPropertyStore(E_FAIL, fx_.Get());
    const ComPtr<IPropertyStore> store = ComPtr<IPropertyStore>::Attach(recording);
    ASSERT_EQ(S_OK, p_->LockForProcess(48000, 2, 2, 16, store.Get(), 1));
    std::vector<KeyId> firstReads = recording->Reads();
    firstReads.resize(9);
    EXPECT_EQ(firstReads, (std::vector<KeyId>{EnableKey(Pcee), EnableKey(Nuvex), EnableKey(NuvexMax), EnableKey(Shifter),
                                              EnableKey(Dolby), EnableKey(ProLogic), EnableKey(Neo),
                                              EnableKey(Sensation), EnableKey(Clarity)}));
}

// ---- exclusions: turning one effect on turns the others of its family off ----

TEST_F(LfxTest, VirtualisersAndUpMixersExcludeEachOther) {
    struct Row {
        int flag;
        uint32_t in, out;
    } rows[] = {{Nuvex, 6, 2}, {Dolby, 6, 2}, {Sensation, 6, 2}, {ProLogic, 2, 6}, {Neo, 2, 6}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flag);
        Enable({Nuvex, Dolby, Sensation, ProLogic, Neo, Clarity});
        ASSERT_EQ(S_OK, Lock(48000, row.in, row.out, 16));
        EXPECT_EQ(S_OK, Set(EnableKey(row.flag), 3));  // any nonzero value is on
        EXPECT_EQ(S_OK, Set(EnableKey(row.flag), 0));
        EXPECT_EQ(Chain(row.in, row.out), Names{L"Clarity"});
    }
    Put(Wrong(EnableKey(Clarity)));  // a value of the wrong type changes nothing
    EXPECT_EQ(S_OK, Report(EnableKey(Clarity)));
    EXPECT_EQ(Chain(2, 6), Names{L"Clarity"});
}

TEST_F(LfxTest, ChangeStatuses) {
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    EXPECT_EQ(S_OK, p_->OnPropertyChanged(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, p_->OnPropertyChanged(nullptr, fx_.Get()));
    const PROPERTYKEY level{ToGuid(SensationKey(7).fmtid), 7};
    EXPECT_EQ(E_POINTER, p_->OnPropertyChanged(&level, p_.Get()));  // not a store: the read fails
    Behaviour(L"Clarity").setParameterResult = E_ABORT;
    EXPECT_EQ(E_ABORT, Set(SensationKey(7), 2));
}

}  // namespace
}  // namespace qx::test::lfx
