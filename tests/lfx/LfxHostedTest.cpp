// The hosted audio processing object, driven through the four hosted operations.
#include "tests/lfx/LfxHarness.h"
#include "tests/lfx/RecordingApo.h"
#include "tests/support/AllocationCounter.h"

namespace qx::test::lfx {
namespace {

const GUID kPceeClsid = ToGuid(ParseGuid("{BC8E3B67-3306-4EEF-B230-6798E9A67F0B}"));

class LfxHosted : public LfxTest {
protected:
    void SetUp() override {
        LfxTest::SetUp();
        ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    }
    void EnableHosted(bool on) { Set(EnableKey(Pcee), on ? 1 : 0); }
    HRESULT HostedProcess() { return p_->HostedProcess(1, inputs_, 1, outputs_); }

    APO_CONNECTION_PROPERTY in_{}, out_{};
    APO_CONNECTION_PROPERTY* inputs_[1] = {&in_};
    APO_CONNECTION_PROPERTY* outputs_[1] = {&out_};
};

TEST_F(LfxHosted, TheInterfacesHaveTheirPublicIdentifiers) {
    // The double answers the interfaces by the header's identifiers; they must be these.
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{FD7F2B29-24D0-4B5C-B177-592C39F9CA10}")), __uuidof(IAudioProcessingObject)));
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{0E5ED805-ABA6-49C3-8F9A-2B8C889C4FA8}")),
                           __uuidof(IAudioProcessingObjectConfiguration)));
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{9E1D6A6D-DDBC-4E95-A4C7-AD64BA37846C}")), __uuidof(IAudioProcessingObjectRT)));
}

TEST_F(LfxHosted, WithoutTheObjectNothingFails) {
    EnableHosted(true);
    BYTE data[4] = {1, 2, 3, 4};
    EXPECT_EQ(S_OK, p_->HostedInitialize(sizeof data, data));  // class not registered
    EXPECT_EQ(S_OK, p_->HostedLockForProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(S_OK, p_->HostedUnlockForProcess());
    EXPECT_EQ(1, HostedProcess());
}

TEST_F(LfxHosted, DrivesTheRegisteredObject) {
    ApoRegistration apo(kPceeClsid);
    ASSERT_TRUE(apo.Registered());
    BYTE data[3] = {9, 8, 7};
    EXPECT_EQ(S_OK, p_->HostedInitialize(sizeof data, data));
    EXPECT_EQ((std::vector<uint8_t>{9, 8, 7}), apo.Record().initData);

    APO_CONNECTION_DESCRIPTOR desc{};
    APO_CONNECTION_DESCRIPTOR* descs[1] = {&desc};
    apo.Behaviour().lockResult = S_FALSE;
    EXPECT_EQ(S_FALSE, p_->HostedLockForProcess(1, descs, 2, descs));
    EXPECT_EQ(1u, apo.Record().lockCounts[0]);
    EXPECT_EQ(2u, apo.Record().lockCounts[1]);
    EXPECT_EQ(descs, apo.Record().lockConnections[0]);

    EXPECT_EQ(1, HostedProcess());  // enable flag off
    EXPECT_EQ(0, apo.Record().processCalls.load());
    EnableHosted(true);
    {
        AllocationCounter counter;
        EXPECT_EQ(S_OK, HostedProcess());
        EXPECT_EQ(counter.Count(), 0u);
    }
    EXPECT_EQ(1, apo.Record().processCalls.load());
    EXPECT_EQ(inputs_, apo.Record().processConnections[0].load());
    EXPECT_EQ(outputs_, apo.Record().processConnections[1].load());
    EnableHosted(false);
    EXPECT_EQ(1, HostedProcess());

    apo.Behaviour().unlockResult = E_UNEXPECTED;
    EXPECT_EQ(E_UNEXPECTED, p_->HostedUnlockForProcess());

    // A second initialisation replaces the object; the processor's end releases it.
    EXPECT_EQ(S_OK, p_->HostedInitialize(0, nullptr));
    EXPECT_EQ(2, apo.Created());
    EXPECT_EQ(1, apo.Alive());
    p_.Reset();
    EXPECT_EQ(0, apo.Alive());
}

TEST_F(LfxHosted, AFailedInitialisationForgetsTheObject) {
    ApoRegistration apo(kPceeClsid);
    EnableHosted(true);
    struct Row {
        bool answersApo;
        HRESULT initialize;
        HRESULT expected;
    } rows[] = {{false, S_OK, S_OK}, {true, E_NOINTERFACE, S_OK}, {true, E_FAIL, E_FAIL},
                {true, REGDB_E_CLASSNOTREG, S_OK}};
    for (const Row& row : rows) {
        ASSERT_EQ(S_OK, p_->HostedInitialize(0, nullptr));  // a working object first
        apo.Behaviour().answersApo = row.answersApo;
        apo.Behaviour().initializeResult = row.initialize;
        EXPECT_EQ(row.expected, p_->HostedInitialize(0, nullptr));
        EXPECT_EQ(0, apo.Alive());
        EXPECT_EQ(1, HostedProcess());
        EXPECT_EQ(S_OK, p_->HostedUnlockForProcess());
        apo.Behaviour() = ApoBehaviour{};
    }

    // An object without the real-time or configuration interface is kept but skipped.
    apo.Behaviour().answersRealTime = false;
    apo.Behaviour().answersConfiguration = false;
    apo.Behaviour().lockResult = E_FAIL;
    ASSERT_EQ(S_OK, p_->HostedInitialize(0, nullptr));
    EXPECT_EQ(1, apo.Alive());
    EXPECT_EQ(1, HostedProcess());
    EXPECT_EQ(S_OK, p_->HostedLockForProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(0, apo.Record().processCalls.load());
    p_.Reset();
    EXPECT_EQ(0, apo.Alive());
}

}  // namespace
}  // namespace qx::test::lfx
