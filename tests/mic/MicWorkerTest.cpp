// The echo-canceller worker of the capture processor against a stand-in Zurarur object.
#include <memory>

#include "frame/Module.h"
#include "tests/mic/MicHarness.h"
#include "tests/mic/ZurarurDouble.h"

namespace qx::test::mic {
namespace {

using Config = ZurarurDouble::Config;

std::vector<UINT32> Values(const ZurarurDouble& zur) {
    std::vector<UINT32> v;
    for (const auto& s : zur.Sets()) v.push_back(s.enabled);
    return v;
}

class MicWorker : public MicTest {
protected:
    void SetUp() override { Start(kMicClsid, kClasses); }
    // The stand-in outlives the processor, whose worker may still hold its object.
    void TearDown() override {
        MicTest::TearDown();
        zur_.reset();
    }
    ZurarurDouble& Zur(Config config = Config()) {
        zur_.reset();  // one registration of the class at a time
        zur_ = std::make_unique<ZurarurDouble>(config);
        EXPECT_TRUE(zur_->Registered());
        return *zur_;
    }
    std::unique_ptr<ZurarurDouble> zur_;
};

// The double answers by the interface declarations' identifiers; they must be these.
TEST(ZurarurIdentifiers, AreThePublicOnes) {
    EXPECT_TRUE(IsEqualCLSID(ToGuid(ParseGuid("{C6606CA5-2108-4CAF-8E52-1953F2DBF716}")), CLSID_ZurarurAec));
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{CF743829-4C33-457D-82CB-A00DE3308CD5}")), __uuidof(IZurarurAec)));
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{3F8F4AEB-9090-4F5B-98F2-000A08FC4A07}")), __uuidof(IZurarurAecControl)));
    EXPECT_TRUE(IsEqualIID(ToGuid(ParseGuid("{3F8F4AEB-9090-4F5B-98F2-000A08FC4A04}")), __uuidof(IZurarurAecDeviceList)));
}

TEST_F(MicWorker, AppliesTheStateToTheFirstKnownDeviceAfterEachLockAndChange) {
    ZurarurDouble& zur = Zur();
    ASSERT_EQ(S_OK, Set(kZurAec, 1));  // before Initialize: applied at start
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));
    EXPECT_EQ(zur.QueriedDevices(), (std::vector<UINT32>{0, 1}));
    const std::pair<Value, size_t> steps[] = {
        {U(kZurAec, 1), 1},          // the same value: nothing to apply
        {U(kZurAec, 0), 2},          {U(kZurAec, 1), 3},
        {U(kNoiseReduction, 1), 4},  // excludes Zur AEC
        {U(kZurAec, 0), 4},          // already off
        {U(kZurAec, 1), 5},
    };
    for (const auto& step : steps) {
        Put(step.first);
        EXPECT_EQ(S_OK, Report(step.first.key));
        ASSERT_TRUE(zur.WaitForSets(step.second));
    }
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    ASSERT_TRUE(zur.WaitForSets(6));
    EXPECT_EQ(Values(zur), (std::vector<UINT32>{1, 0, 1, 0, 1, 1}));
    for (const auto& s : zur.Sets()) EXPECT_EQ(s.device, 1u);
}

TEST_F(MicWorker, ChangesBeforeItWakesGiveOneApplyWithTheLatestValue) {
    Config config;
    config.holdFirstSet = true;
    config.firstKnownDevice = -1;  // no known device: device 0
    ZurarurDouble& zur = Zur(config);
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));  // held in its first apply
    for (uint32_t v : {1u, 0u, 7u}) Set(kZurAec, v);
    zur.ReleaseHold();
    ASSERT_TRUE(zur.WaitForSets(2));
    Set(kZurAec, 0);
    ASSERT_TRUE(zur.WaitForSets(3));
    EXPECT_EQ(Values(zur), (std::vector<UINT32>{0, 7, 0}));
    EXPECT_EQ(zur.QueriedDevices(), (std::vector<UINT32>{0, 1, 2}));
    EXPECT_EQ(zur.Sets()[0].device, 0u);
}

TEST_F(MicWorker, EndsSilentlyWhenTheObjectRefuses) {
    Config refusals[5];
    refusals[0].availableResult = E_FAIL;
    refusals[1].available = 0;
    refusals[2].hasDeviceList = false;
    refusals[3].countResult = E_FAIL;
    refusals[4].setResult = E_ACCESSDENIED;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ZurarurDouble& zur = Zur(refusals[i]);
        ASSERT_EQ(S_OK, Init(kMicrophone));
        ASSERT_TRUE(zur.WaitUntilAllReleased());  // the worker lets go only when it ends
        EXPECT_EQ(1, zur.Created());
        EXPECT_EQ(S_OK, Set(kZurAec, i % 2 ? 0 : 1));
        EXPECT_EQ(S_OK, Lock(48000, 2, 2, 16));
        EXPECT_EQ(zur.Sets().size(), i == 4 ? 1u : 0u);
        EXPECT_EQ(S_OK, Set(kMixOutput, 1));  // the processor itself works on
        EXPECT_EQ(S_OK, Run(2, 2, 16));
    }
}

TEST_F(MicWorker, DestructionStopsTheWorker) {
    ASSERT_EQ(S_OK, Init(kMicrophone));  // no object registered: the worker ends at once
    p_.Reset();
    EXPECT_EQ(0, Module::LockCount());

    ZurarurDouble& zur = Zur();
    p_ = NewProcessor(kMicClsid);
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));
    p_.Reset();
    EXPECT_EQ(0, zur.Alive());  // Release returned after the worker let go of the object
    EXPECT_EQ(0, Module::LockCount());
}

TEST_F(MicWorker, DestructionReturnsWhileTheWorkerIsInsideACall) {
    Config config;
    config.holdFirstSet = true;
    ZurarurDouble& zur = Zur(config);
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));
    p_.Reset();
    EXPECT_EQ(1, zur.Alive());  // returned while the worker is still inside the call
    zur.ReleaseHold();
    EXPECT_TRUE(zur.WaitForCreatorThreadEnd());
    EXPECT_EQ(0, zur.Alive());
    EXPECT_EQ(0, Module::LockCount());
}

TEST_F(MicWorker, RepeatedInitializeReplacesTheWorker) {
    ZurarurDouble& zur = Zur();
    LONG locks = 0;
    for (size_t i = 1; i <= 3; ++i) {
        ASSERT_EQ(S_OK, Init(kMicrophone));
        ASSERT_TRUE(zur.WaitForSets(i));
        EXPECT_EQ(long(i), zur.Created());
        EXPECT_EQ(1, zur.Alive());  // the earlier workers have ended
        if (i == 1) locks = Module::LockCount();
        EXPECT_EQ(locks, Module::LockCount());
    }
    EXPECT_EQ(E_NOINTERFACE, Init(kSpeakers));  // stops the worker and starts none
    EXPECT_EQ(0, zur.Alive());
    EXPECT_EQ(S_OK, Set(kZurAec, 1));
    EXPECT_EQ(zur.Sets().size(), 3u);
}

}  // namespace
}  // namespace qx::test::mic
