// The echo-canceller worker of the capture processor against a stand-in Zurarur object.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "common/ClassRegistration.h"
#include "common/Handles.h"
#include "common/UnknownObject.h"
#include "processors/ZurarurAec.h"
#include "tests/mic/MicHarness.h"

namespace qx::test::mic {
namespace {

struct ZurConfig {
    int firstKnownDevice = 1;  // QueryDevice succeeds from this index on; -1: never
    bool holdFirstSet = false;  // the first SetEnabled waits until Release()
    int refuse = 0;  // 1: IsAvailable fails, 2: it answers no, 3: GetCount fails, 4: SetEnabled fails
};

// A stand-in Zurarur object: one object answers the three interfaces and records what
// the worker calls. It is registered from a thread of the multithreaded apartment, where
// the worker, which does no COM initialisation, finds classes.
class Zurarur {
public:
    explicit Zurarur(ZurConfig config = {}) : config_(config) {
        thread_ = std::thread([this] {
            const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            {
                const ClassRegistration registration(ContractGuid(kContractComponents[23].clsid),
                                                     [this](REFIID riid, void** ppv) {
                                                         return QueryNewObject(new Object(*this), riid, ppv);
                                                     });
                EXPECT_TRUE(SUCCEEDED(init) && registration.Registered());
                SetEvent(ready_.Get());
                WaitForSingleObject(quit_.Get(), INFINITE);
            }
            CoUninitialize();
        });
        WaitForSingleObject(ready_.Get(), INFINITE);
    }
    ~Zurarur() {
        Release();
        SetEvent(quit_.Get());
        thread_.join();
    }
    // Waits until the worker has made n calls of SetEnabled, with a limit no working worker
    // comes near; false on it.
    bool WaitForSets(size_t n) {
        return WaitFor([&] { return sets.size() >= n; });
    }
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), done);
    }
    void Release() { SetEvent(hold_.Get()); }
    template <class T>
    T Read(const T& field) {
        std::lock_guard<std::mutex> lock(mutex_);
        return field;
    }

    std::vector<std::pair<UINT32, UINT32>> sets;  // device, enabled
    std::vector<UINT32> queried;
    long created = 0, alive = 0;

private:
    class Object : public UnknownObject<IZurarurAec, IZurarurAecControl, IZurarurAecDeviceList> {
    public:
        explicit Object(Zurarur& z) : z_(z) {
            z_.Note([&] { ++z_.created, ++z_.alive; });
        }
        ~Object() override { z_.Note([&] { --z_.alive; }); }
        HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE IsAvailable(UINT32* available) override {
            *available = z_.config_.refuse != 2;
            return z_.config_.refuse == 1 ? E_FAIL : S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetCount(UINT32* count) override {
            *count = 3;
            return z_.config_.refuse == 3 ? E_FAIL : S_OK;
        }
        HRESULT STDMETHODCALLTYPE QueryDevice(UINT32 index, UINT32* state) override {
            z_.Note([&] { z_.queried.push_back(index); });
            *state = 1;
            return z_.config_.firstKnownDevice >= 0 && int(index) >= z_.config_.firstKnownDevice ? S_OK : E_INVALIDARG;
        }
        HRESULT STDMETHODCALLTYPE SetEnabled(UINT32 index, UINT32 enabled) override {
            bool first = false;
            z_.Note([&] { first = z_.sets.empty(), z_.sets.push_back({index, enabled}); });
            // Bounded, so that a processor that waits for a held worker fails instead of hanging.
            if (first && z_.config_.holdFirstSet) WaitForSingleObject(z_.hold_.Get(), 20000);
            return z_.config_.refuse == 4 ? E_FAIL : S_OK;
        }

    private:
        Zurarur& z_;
    };
    void Note(const std::function<void()>& change) {
        std::lock_guard<std::mutex> lock(mutex_);
        change();
        changed_.notify_all();
    }

    ZurConfig config_;
    std::mutex mutex_;
    std::condition_variable changed_;
    UniqueHandle hold_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle ready_{CreateEventW(nullptr, TRUE, FALSE, nullptr)}, quit_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

class MicWorker : public MicTest {
protected:
    void SetUp() override { Start(kMic, kClasses); }
    // The stand-in outlives the processor, whose worker may still hold its object.
    void TearDown() override {
        MicTest::TearDown();
        zur_.reset();
    }
    Zurarur& Zur(ZurConfig config = {}) {
        zur_.reset();  // one registration of the class at a time
        zur_ = std::make_unique<Zurarur>(config);
        return *zur_;
    }
    std::vector<UINT32> Values() {
        std::vector<UINT32> v;
        for (const auto& s : zur_->Read(zur_->sets)) v.push_back(s.second);
        return v;
    }
    std::unique_ptr<Zurarur> zur_;
};

TEST_F(MicWorker, AppliesTheStateToTheFirstKnownDeviceAfterEachLockAndChange) {
    Zurarur& zur = Zur();
    ASSERT_EQ(S_OK, Set(kZurAec, 1));  // before Initialize: applied at start
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));
    EXPECT_EQ(zur.Read(zur.queried), (std::vector<UINT32>{0, 1}));
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
    EXPECT_EQ(Values(), (std::vector<UINT32>{1, 0, 1, 0, 1, 1}));
    for (const auto& s : zur.Read(zur.sets)) EXPECT_EQ(s.first, 1u);
    // Another Initialize replaces the worker; one for speakers stops it and starts none.
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(7));
    EXPECT_EQ(zur.Read(zur.created), 2);
    EXPECT_EQ(zur.Read(zur.alive), 1);
    EXPECT_EQ(E_NOINTERFACE, Init(kSpeakers));
    EXPECT_EQ(zur.Read(zur.alive), 0);
}

TEST_F(MicWorker, ChangesBeforeItWakesGiveOneApplyWithTheLatestValue) {
    Zurarur& zur = Zur({-1, true});  // no known device (device 0); the first apply held
    ASSERT_EQ(S_OK, Init(kMicrophone));
    ASSERT_TRUE(zur.WaitForSets(1));  // held in its first apply
    for (uint32_t v : {1u, 0u, 7u}) Set(kZurAec, v);
    zur.Release();
    ASSERT_TRUE(zur.WaitForSets(2));
    Set(kZurAec, 0);
    ASSERT_TRUE(zur.WaitForSets(3));
    EXPECT_EQ(Values(), (std::vector<UINT32>{0, 7, 0}));
    EXPECT_EQ(zur.Read(zur.queried), (std::vector<UINT32>{0, 1, 2}));
    EXPECT_EQ(zur.Read(zur.sets)[0].first, 0u);
}

// A worker whose object refuses a step lets the object go and applies nothing more; the
// processor goes on without it.
TEST_F(MicWorker, EndsWhenTheObjectRefusesAStep) {
    for (int refuse = 1; refuse <= 4; ++refuse) {
        SCOPED_TRACE(refuse);
        Zurarur& zur = Zur({1, false, refuse});
        ASSERT_EQ(S_OK, Init(kMicrophone));
        ASSERT_TRUE(zur.WaitFor([&] { return zur.created == 1 && zur.alive == 0; }));
        EXPECT_EQ(S_OK, Set(kZurAec, 1));
        EXPECT_EQ(zur.Read(zur.sets).size(), refuse == 4 ? 1u : 0u);
    }
}

}  // namespace
}  // namespace qx::test::mic
