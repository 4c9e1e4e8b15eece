#include "tests/lfx/RecordingApo.h"

namespace qx::test {

class ApoRegistration::Object : public UnknownObject<IAudioProcessingObject, IAudioProcessingObjectConfiguration,
                                                   IAudioProcessingObjectRT> {
public:
    explicit Object(ApoRegistration& owner) : owner_(owner) { ++owner_.alive_; }
    ~Object() override { --owner_.alive_; }

    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetLatency(HNSTIME* time) override { return time ? (*time = 0, S_OK) : E_POINTER; }
    HRESULT STDMETHODCALLTYPE GetRegistrationProperties(APO_REG_PROPERTIES**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(UINT32 byteCount, BYTE* data) override {
        ApoRecord& r = owner_.record_;
        ++r.initializeCalls;
        r.initByteCount = byteCount;
        r.initData.assign(data, data ? data + byteCount : data);
        return owner_.behaviour_.initializeResult;
    }
    HRESULT STDMETHODCALLTYPE IsInputFormatSupported(IAudioMediaType*, IAudioMediaType*, IAudioMediaType**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsOutputFormatSupported(IAudioMediaType*, IAudioMediaType*, IAudioMediaType**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetInputChannelCount(UINT32*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs, UINT32 outCount,
                                             APO_CONNECTION_DESCRIPTOR** outputs) override {
        ApoRecord& r = owner_.record_;
        ++r.lockCalls;
        r.lockCounts[0] = inCount, r.lockCounts[1] = outCount;
        r.lockConnections[0] = inputs, r.lockConnections[1] = outputs;
        return owner_.behaviour_.lockResult;
    }
    HRESULT STDMETHODCALLTYPE UnlockForProcess() override {
        ++owner_.record_.unlockCalls;
        return owner_.behaviour_.unlockResult;
    }

    void STDMETHODCALLTYPE APOProcess(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs, UINT32 outCount,
                                      APO_CONNECTION_PROPERTY** outputs) override {
        ApoRecord& r = owner_.record_;
        ++r.processCalls;
        r.processCounts[0] = inCount, r.processCounts[1] = outCount;
        r.processConnections[0] = inputs, r.processConnections[1] = outputs;
    }
    UINT32 STDMETHODCALLTYPE CalcInputFrames(UINT32 frames) override { return frames; }
    UINT32 STDMETHODCALLTYPE CalcOutputFrames(UINT32 frames) override { return frames; }

private:
    // IUnknown is always answered; each APO interface only while the behaviour allows it.
    void* FindInterface(REFIID riid) override {
        const ApoBehaviour& b = owner_.behaviour_;
        if ((!b.answersApo && IsEqualIID(riid, __uuidof(IAudioProcessingObject))) ||
            (!b.answersConfiguration && IsEqualIID(riid, __uuidof(IAudioProcessingObjectConfiguration))) ||
            (!b.answersRealTime && IsEqualIID(riid, __uuidof(IAudioProcessingObjectRT))))
            return nullptr;
        return UnknownObject::FindInterface(riid);
    }

    ApoRegistration& owner_;
};

ApoRegistration::ApoRegistration(const CLSID& clsid)
    : registration_(clsid, [this](REFIID riid, void** ppv) {
          ++created_;
          return QueryNewObject(new Object(*this), riid, ppv);
      }) {}

}  // namespace qx::test
