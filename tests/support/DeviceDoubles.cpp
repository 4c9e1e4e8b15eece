#include "tests/support/DeviceDoubles.h"

#include <objbase.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "settings/PropertyStoreAccess.h"

namespace qx::test {

namespace {
void PutValue(IPropertyStore* store, const settings::KeyId& key, const PROPVARIANT& value) {
    store->SetValue(settings::ToPropertyKey(key), value);
}

class Endpoint : public IMMDevice {
public:
    Endpoint(std::wstring id, IPropertyStore* store, HRESULT openResult)
        : id_(std::move(id)), store_(store), openResult_(openResult) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, __uuidof(IMMDevice))) return E_NOINTERFACE;
        *ppv = static_cast<IMMDevice*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE Activate(REFIID, DWORD, PROPVARIANT*, void** ppv) override {
        if (ppv) *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore** store) override {
        if (!store) return E_POINTER;
        *store = nullptr;
        if (FAILED(openResult_)) return openResult_;
        return store_.CopyTo(store);
    }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override {
        if (!id) return E_POINTER;
        const size_t bytes = (id_.size() + 1) * sizeof(wchar_t);
        *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (!*id) return E_OUTOFMEMORY;
        std::memcpy(*id, id_.c_str(), bytes);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override {
        if (!state) return E_POINTER;
        *state = DEVICE_STATE_ACTIVE;
        return S_OK;
    }
    const std::wstring& Id() const { return id_; }

private:
    virtual ~Endpoint() = default;
    std::atomic<LONG> refs_{1};
    std::wstring id_;
    ComPtr<IPropertyStore> store_;
    HRESULT openResult_;
};
}  // namespace

class DeviceEnumerator : public IMMDeviceEnumerator {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, __uuidof(IMMDeviceEnumerator))) return E_NOINTERFACE;
        *ppv = static_cast<IMMDeviceEnumerator*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow, ERole, IMMDevice** out) override {
        if (out) *out = nullptr;
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (FAILED(getDeviceFailure_)) return getDeviceFailure_;
        if (!id) return E_POINTER;
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = devices_.find(id);
        if (found == devices_.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        return found->second.CopyTo(out);
    }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }

    void Add(IMMDevice* device) {
        LPWSTR id = nullptr;
        if (FAILED(device->GetId(&id)) || !id) return;
        std::lock_guard<std::mutex> lock(mutex_);
        devices_[id] = ComPtr<IMMDevice>(device);
        CoTaskMemFree(id);
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        devices_.clear();
    }
    void FailGetDevice(HRESULT status) { getDeviceFailure_ = status; }

private:
    virtual ~DeviceEnumerator() = default;
    std::atomic<LONG> refs_{1};
    std::mutex mutex_;
    std::map<std::wstring, ComPtr<IMMDevice>> devices_;
    HRESULT getDeviceFailure_ = S_OK;
};

namespace {
// Hands out the registry's one enumerator.
class EnumeratorFactory : public IClassFactory {
public:
    explicit EnumeratorFactory(DeviceEnumerator* enumerator) : enumerator_(enumerator) {}

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
        ++creations_;
        return enumerator_->QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    size_t Creations() const { return creations_; }

private:
    virtual ~EnumeratorFactory() = default;
    std::atomic<LONG> refs_{1};
    ComPtr<DeviceEnumerator> enumerator_;
    std::atomic<size_t> creations_{0};
};
}  // namespace

ComPtr<IPropertyStore> NewEndpointStoreFor(const EndpointSetup& setup) {
    ComPtr<IPropertyStore> store;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, store.PutVoid());
    if (!store) return store;
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_UI4;
    if (setup.formFactor) {
        v.ulVal = setup.formFactor;
        PutValue(store.Get(), settings::key::EndpointFormFactor, v);
    }
    if (setup.speakerMask) {
        v.ulVal = setup.speakerMask;
        PutValue(store.Get(), settings::key::EndpointPhysicalSpeakers, v);
    }
    if (setup.formatTag) {
        // A WAVEFORMATEX of 18 bytes: only the tag matters to the effect list.
        BYTE format[18] = {BYTE(setup.formatTag & 0xFF), BYTE(setup.formatTag >> 8), 2, 0};
        PROPVARIANT blob;
        PropVariantInit(&blob);
        blob.vt = VT_BLOB;
        blob.blob.cbSize = sizeof format;
        blob.blob.pBlobData = format;
        PutValue(store.Get(), settings::key::EngineDeviceFormat, blob);
    }
    return store;
}

ComPtr<IMMDevice> NewEndpoint(const std::wstring& id, IPropertyStore* store, HRESULT openResult) {
    return ComPtr<IMMDevice>::Attach(new Endpoint(id, store, openResult));
}

EndpointRegistry::EndpointRegistry() {
    enumerator_ = new DeviceEnumerator;
    auto* factory = new EnumeratorFactory(enumerator_);
    factory_ = factory;
    if (FAILED(CoRegisterClassObject(kClsidMMDeviceEnumerator, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie_)))
        cookie_ = 0;
}

EndpointRegistry::~EndpointRegistry() {
    if (cookie_) CoRevokeClassObject(cookie_);
    enumerator_->Clear();  // endpoints go even if a caller still holds the enumerator
    factory_->Release();
    enumerator_->Release();
}

void EndpointRegistry::Add(IMMDevice* device) { enumerator_->Add(device); }

ComPtr<IMMDevice> EndpointRegistry::Add(const std::wstring& id, const EndpointSetup& setup) {
    ComPtr<IMMDevice> device = NewEndpoint(id, NewEndpointStoreFor(setup).Get());
    enumerator_->Add(device.Get());
    return device;
}

void EndpointRegistry::FailGetDevice(HRESULT status) { enumerator_->FailGetDevice(status); }

size_t EndpointRegistry::Creations() const { return static_cast<EnumeratorFactory*>(factory_)->Creations(); }

}  // namespace qx::test
