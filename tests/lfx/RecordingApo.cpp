#include "tests/lfx/RecordingApo.h"

namespace qx::test {

class ApoRegistration::Object : public IAudioProcessingObject,
                                public IAudioProcessingObjectConfiguration,
                                public IAudioProcessingObjectRT {
public:
    explicit Object(ApoRegistration& owner) : owner_(owner) { ++owner_.alive_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        const ApoBehaviour& b = owner_.behaviour_;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || (b.answersApo && IsEqualIID(riid, __uuidof(IAudioProcessingObject))))
            *ppv = static_cast<IAudioProcessingObject*>(this);
        else if (b.answersConfiguration && IsEqualIID(riid, __uuidof(IAudioProcessingObjectConfiguration)))
            *ppv = static_cast<IAudioProcessingObjectConfiguration*>(this);
        else if (b.answersRealTime && IsEqualIID(riid, __uuidof(IAudioProcessingObjectRT)))
            *ppv = static_cast<IAudioProcessingObjectRT*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

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
    virtual ~Object() { --owner_.alive_; }
    std::atomic<LONG> refs_{1};
    ApoRegistration& owner_;
};

class ApoRegistration::Factory : public IClassFactory {
public:
    explicit Factory(ApoRegistration& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        ++owner_.created_;
        auto* object = new Object(owner_);
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~Factory() = default;
    std::atomic<LONG> refs_{1};
    ApoRegistration& owner_;
};

ApoRegistration::ApoRegistration(const CLSID& clsid) {
    factory_ = new Factory(*this);
    if (FAILED(CoRegisterClassObject(clsid, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
        cookie_ = 0;
}

ApoRegistration::~ApoRegistration() {
    if (cookie_) CoRevokeClassObject(cookie_);
    factory_->Release();
}

}  // namespace qx::test
