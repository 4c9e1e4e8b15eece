// The echo-canceller worker of the capture processor against a stand-in Zurarur object.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "common/Handles.h"
#include "frame/Module.h"
#include "processors/AecWorker.h"
#include "tests/mic/MicFixture.h"
#include "tests/mic/ZurarurDouble.h"

namespace qx::test {
namespace {

namespace key = settings::key;
using Config = ZurarurDouble::Config;

std::vector<UINT32> Values(const ZurarurDouble& zur) {
    std::vector<UINT32> v;
    for (const auto& s : zur.Sets()) v.push_back(s.enabled);
    return v;
}

class MicWorker : public MicTest {
protected:
    // The stand-in outlives the processor, whose worker may still hold its object.
    void TearDown() override {
        MicTest::TearDown();
        zur_.reset();
    }
    ZurarurDouble& NewZur(Config config = Config()) {
        zur_.reset();  // only one registration of the class at a time
        zur_ = std::make_unique<ZurarurDouble>(config);
        EXPECT_TRUE(zur_->Registered());
        return *zur_;
    }
    void StartWith(ZurarurDouble& zur) {
        ASSERT_TRUE(zur.Registered());
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        ASSERT_TRUE(zur.WaitForSets(1));
    }
    std::unique_ptr<ZurarurDouble> zur_;
};

TEST_F(MicWorker, FindsTheFirstKnownDeviceAndAppliesTheCurrentState) {
    ZurarurDouble& zur = NewZur();
    ASSERT_EQ(S_OK, Change(key::ZurAecEnable, 1));  // before Initialize: applied at start
    StartWith(zur);
    EXPECT_EQ((std::vector<UINT32>{0, 1}), zur.QueriedDevices());
    ASSERT_EQ(1u, zur.Sets().size());
    EXPECT_EQ(1u, zur.Sets()[0].device);
    EXPECT_EQ(1u, zur.Sets()[0].enabled);
}

TEST_F(MicWorker, NoKnownDeviceMeansDeviceZero) {
    Config config;
    config.firstKnownDevice = -1;
    ZurarurDouble& zur = NewZur(config);
    StartWith(zur);
    EXPECT_EQ((std::vector<UINT32>{0, 1, 2}), zur.QueriedDevices());
    EXPECT_EQ(0u, zur.Sets()[0].device);
}

TEST_F(MicWorker, AppliesAfterEachLockAndEachChange) {
    ZurarurDouble& zur = NewZur();
    StartWith(zur);
    PutUInt(fx_.Get(), key::ZurAecEnable, 1);
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    ASSERT_TRUE(zur.WaitForSets(2));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));  // no change: nothing to apply
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 0));
    ASSERT_TRUE(zur.WaitForSets(3));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    ASSERT_TRUE(zur.WaitForSets(4));
    EXPECT_EQ(S_OK, Change(key::NoiseReductionEnable, 1));  // excludes Zur AEC
    ASSERT_TRUE(zur.WaitForSets(5));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 0));  // already off
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    ASSERT_TRUE(zur.WaitForSets(6));
    EXPECT_EQ((std::vector<UINT32>{0, 1, 0, 1, 0, 1}), Values(zur));
    for (const auto& s : zur.Sets()) EXPECT_EQ(1u, s.device);
}

TEST_F(MicWorker, ChangesBeforeItWakesGiveOneApplyWithTheLatestValue) {
    Config config;
    config.holdFirstSet = true;
    ZurarurDouble& zur = NewZur(config);
    StartWith(zur);  // the worker is held in its first apply
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 0));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 7));
    zur.ReleaseHold();
    ASSERT_TRUE(zur.WaitForSets(2));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 0));
    ASSERT_TRUE(zur.WaitForSets(3));
    EXPECT_EQ((std::vector<UINT32>{0, 7, 0}), Values(zur));
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
        ZurarurDouble& zur = NewZur(refusals[i]);
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        // The worker lets go of the object only when it ends.
        ASSERT_TRUE(zur.WaitUntilAllReleased());
        EXPECT_EQ(1, zur.Created());
        EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
        EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));
        EXPECT_EQ(i == 4 ? 1u : 0u, zur.Sets().size());
        // The processor itself works on.
        EXPECT_EQ(S_OK, Change(key::MixOutputEnable, 1));
        EXPECT_EQ(S_OK, RunPeriod(2, 2, 480));
        EXPECT_EQ(S_OK, Change(key::MixOutputEnable, 0));
        EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 0));
    }
}

TEST_F(MicWorker, WithoutAnObjectTheProcessorWorksAndStopsAtOnce) {
    ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    EXPECT_EQ(S_OK, Lock(48000, 2, 2, 480));
    processor_.Reset();  // waits for the worker, which ended on its own
    EXPECT_EQ(0, Module::LockCount());
}

TEST_F(MicWorker, DestructionStopsAWaitingWorker) {
    ZurarurDouble& zur = NewZur();
    StartWith(zur);
    processor_.Reset();
    // Release returned only after the worker ended: it has let go of the object.
    EXPECT_EQ(0, zur.Alive());
    EXPECT_EQ(0, Module::LockCount());
}

TEST_F(MicWorker, DestructionReturnsWhileTheWorkerIsInsideACall) {
    Config config;
    config.holdFirstSet = true;
    ZurarurDouble& zur = NewZur(config);
    StartWith(zur);
    processor_.Reset();
    EXPECT_EQ(1, zur.Alive());  // returned while the worker is still inside the call
    zur.ReleaseHold();
    EXPECT_TRUE(zur.WaitForCreatorThreadEnd());
    EXPECT_EQ(0, zur.Alive());
    EXPECT_EQ(0, Module::LockCount());
}

TEST_F(MicWorker, RepeatedInitializeReplacesTheWorker) {
    ZurarurDouble& zur = NewZur();
    LONG locks = 0;
    for (size_t i = 1; i <= 4; ++i) {
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
        ASSERT_TRUE(zur.WaitForSets(i));
        EXPECT_EQ(long(i), zur.Created());
        EXPECT_EQ(1, zur.Alive());  // the earlier workers have ended
        // Each worker replaces the last one: the module holds no lock for an earlier one.
        if (i == 1) locks = Module::LockCount();
        EXPECT_EQ(locks, Module::LockCount());
    }
    // A form factor other than microphone stops the worker and starts none.
    EXPECT_EQ(E_NOINTERFACE, InitializeAs(settings::FormFactorSpeakers));
    EXPECT_EQ(0, zur.Alive());
    EXPECT_EQ(S_OK, Change(key::ZurAecEnable, 1));
    EXPECT_EQ(4u, zur.Sets().size());
}

TEST(AecWorker, ReachesItsLoopOnlyWithAWorkingObject) {
    {
        AecWorker worker;
        ASSERT_TRUE(worker.Start(0));
        EXPECT_TRUE(worker.Exists());
        worker.Stop();
        EXPECT_FALSE(worker.Exists());
        EXPECT_FALSE(worker.Waiting());
    }
    ZurarurDouble zur;
    AecWorker worker;
    ASSERT_TRUE(worker.Start(1));
    ASSERT_TRUE(zur.WaitForSets(1));
    worker.Apply(0);  // kept until the worker waits for it
    ASSERT_TRUE(zur.WaitForSets(2));
    EXPECT_TRUE(worker.Waiting());  // it applies again only from its loop
    EXPECT_EQ((std::vector<UINT32>{1, 0}), Values(zur));
}

}  // namespace
}  // namespace qx::test
