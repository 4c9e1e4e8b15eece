// The hosted audio processing object, driven through the four hosted operations.
#include "common/ClassRegistration.h"
#include "common/UnknownObject.h"
#include "processors/ApoInterfaces.h"
#include "tests/lfx/LfxHarness.h"

namespace qx::test::lfx {
namespace {

// A stand-in for the hosted object: each of the three interfaces can be withheld; it
// records what it is given (without allocating in APOProcess) and returns what it is told.
struct Apo {
    bool answersApo = true, answersConfiguration = true, answersRealTime = true;
    HRESULT initializeResult = S_OK, lockResult = S_OK, unlockResult = S_OK;
    Bytes initData;
    UINT32 lockCounts[2] = {};
    void* connections[2] = {};
    int created = 0, alive = 0, processCalls = 0;

    class Object : public UnknownObject<IAudioProcessingObject, IAudioProcessingObjectConfiguration,
                                        IAudioProcessingObjectRT> {
    public:
        explicit Object(Apo& apo) : a_(apo) { ++a_.created, ++a_.alive; }
        ~Object() override { --a_.alive; }
        HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE GetLatency(HNSTIME*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetRegistrationProperties(APO_REG_PROPERTIES**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Initialize(UINT32 count, BYTE* data) override {
            a_.initData.assign(data, data + count);
            return a_.initializeResult;
        }
        using Type = IAudioMediaType;
        HRESULT STDMETHODCALLTYPE IsInputFormatSupported(Type*, Type*, Type**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE IsOutputFormatSupported(Type*, Type*, Type**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetInputChannelCount(UINT32*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs, UINT32 outCount,
                                                 APO_CONNECTION_DESCRIPTOR**) override {
            a_.lockCounts[0] = inCount, a_.lockCounts[1] = outCount;
            a_.connections[0] = inputs;
            return a_.lockResult;
        }
        HRESULT STDMETHODCALLTYPE UnlockForProcess() override { return a_.unlockResult; }
        void STDMETHODCALLTYPE APOProcess(UINT32, APO_CONNECTION_PROPERTY** inputs, UINT32,
                                          APO_CONNECTION_PROPERTY** outputs) override {
            ++a_.processCalls;
            a_.connections[0] = inputs, a_.connections[1] = outputs;
        }
        UINT32 STDMETHODCALLTYPE CalcInputFrames(UINT32 frames) override { return frames; }
        UINT32 STDMETHODCALLTYPE CalcOutputFrames(UINT32 frames) override { return frames; }

    private:
        void* FindInterface(REFIID riid) override {
            if ((!a_.answersApo && IsEqualIID(riid, __uuidof(IAudioProcessingObject))) ||
                (!a_.answersConfiguration && IsEqualIID(riid, __uuidof(IAudioProcessingObjectConfiguration))) ||
                (!a_.answersRealTime && IsEqualIID(riid, __uuidof(IAudioProcessingObjectRT))))
                return nullptr;
            return UnknownObject::FindInterface(riid);
        }
        Apo& a_;
    };
    ClassRegistration registration{ContractGuid(kContractComponents[22].clsid),
                                   [this](REFIID riid, void** ppv) { return QueryNewObject(new Object(*this), riid, ppv); }};
};

class LfxHosted : public LfxTest {
protected:
    void SetUp() override {
        LfxTest::SetUp();
        ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    }
    HRESULT HostedProcess() { return p_->HostedProcess(1, inputs_, 1, outputs_); }

    APO_CONNECTION_PROPERTY in_{}, out_{};
    APO_CONNECTION_PROPERTY* inputs_[1] = {&in_};
    APO_CONNECTION_PROPERTY* outputs_[1] = {&out_};
};

TEST_F(LfxHosted, DrivesTheRegisteredObject) {
    Apo apo;
    BYTE data[3] = {9, 8, 7};
    EXPECT_EQ(S_OK, p_->HostedInitialize(sizeof data, data));
    EXPECT_EQ(apo.initData, (Bytes{9, 8, 7}));
    APO_CONNECTION_DESCRIPTOR desc{};
    APO_CONNECTION_DESCRIPTOR* descs[1] = {&desc};
    apo.lockResult = S_FALSE;
    EXPECT_EQ(S_FALSE, p_->HostedLockForProcess(1, descs, 2, descs));
    EXPECT_EQ(apo.lockCounts[0], 1u);
    EXPECT_EQ(apo.lockCounts[1], 2u);
    EXPECT_EQ(apo.connections[0], descs);
    EXPECT_EQ(1, HostedProcess());  // enable flag off
    Set(EnableKey(Pcee), 1);
    {
        AllocationCounter counter;
        EXPECT_EQ(S_OK, HostedProcess());
        EXPECT_EQ(counter.Count(), 0u);
    }
    EXPECT_EQ(apo.processCalls, 1);
    EXPECT_EQ(apo.connections[0], inputs_);
    EXPECT_EQ(apo.connections[1], outputs_);
    Set(EnableKey(Pcee), 0);
    EXPECT_EQ(1, HostedProcess());
    apo.unlockResult = E_UNEXPECTED;
    EXPECT_EQ(E_UNEXPECTED, p_->HostedUnlockForProcess());
    // A second initialisation replaces the object; the processor's end releases it.
    EXPECT_EQ(S_OK, p_->HostedInitialize(0, nullptr));
    EXPECT_EQ(apo.created, 2);
    EXPECT_EQ(apo.alive, 1);
    p_.Reset();
    EXPECT_EQ(0, apo.alive);
}

TEST_F(LfxHosted, WithoutAWorkingObjectNothingFails) {
    Set(EnableKey(Pcee), 1);
    BYTE data[4] = {1, 2, 3, 4};
    EXPECT_EQ(S_OK, p_->HostedInitialize(sizeof data, data));  // class not registered
    EXPECT_EQ(S_OK, p_->HostedLockForProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(1, HostedProcess());
    Apo apo;
    const struct {
        bool answersApo;
        HRESULT initialize, expected;
    } rows[] = {{false, S_OK, S_OK}, {true, E_NOINTERFACE, S_OK}, {true, E_FAIL, E_FAIL},
                {true, REGDB_E_CLASSNOTREG, S_OK}};
    for (const auto& row : rows) {
        ASSERT_EQ(S_OK, p_->HostedInitialize(0, nullptr));  // a working object first
        apo.answersApo = row.answersApo;
        apo.initializeResult = row.initialize;
        EXPECT_EQ(row.expected, p_->HostedInitialize(0, nullptr));
        EXPECT_EQ(0, apo.alive);
        EXPECT_EQ(1, HostedProcess());
        EXPECT_EQ(S_OK, p_->HostedUnlockForProcess());
        apo.answersApo = true;
        apo.initializeResult = S_OK;
    }
    // An object without the real-time or configuration interface is kept but skipped.
    apo.answersRealTime = apo.answersConfiguration = false;
    apo.lockResult = E_FAIL;
    ASSERT_EQ(S_OK, p_->HostedInitialize(0, nullptr));
    EXPECT_EQ(1, apo.alive);
    EXPECT_EQ(1, HostedProcess());
    EXPECT_EQ(S_OK, p_->HostedLockForProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(0, apo.processCalls);
    // The processing interface is asked for again by the next lock, never by a period.
    apo.answersRealTime = true;
    EXPECT_EQ(1, HostedProcess());
    EXPECT_EQ(S_OK, p_->HostedLockForProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(S_OK, HostedProcess());
    EXPECT_EQ(1, apo.processCalls);
    p_.Reset();  // before the double goes
    EXPECT_EQ(0, apo.alive);
}

}  // namespace
}  // namespace qx::test::lfx
