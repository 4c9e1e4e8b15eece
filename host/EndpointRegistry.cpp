#include "host/EndpointRegistry.h"

#include <objbase.h>

#include <cstring>
#include <map>
#include <mutex>

#include "settings/PropertyStoreAccess.h"

namespace qx::host {

namespace {
void PutValue(IPropertyStore* store, const settings::KeyId& key, const PROPVARIANT& value) {
    store->SetValue(settings::ToPropertyKey(key), value);
}

class Endpoint : public UnknownObject<IMMDevice> {
public:
    Endpoint(std::wstring id, IPropertyStore* store, HRESULT openResult)
        : id_(std::move(id)), store_(store), openResult_(openResult) {}

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
    std::wstring id_;
    ComPtr<IPropertyStore> store_;
    HRESULT openResult_;
};
}  // namespace

class DeviceEnumerator : public UnknownObject<IMMDeviceEnumerator> {
public:
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
    std::mutex mutex_;
    std::map<std::wstring, ComPtr<IMMDevice>> devices_;
    HRESULT getDeviceFailure_ = S_OK;
};

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

// Every creation through the registration hands out the registry's one enumerator.
EndpointRegistry::EndpointRegistry()
    : enumerator_(ComPtr<DeviceEnumerator>::Attach(new DeviceEnumerator)),
      registration_(kClsidMMDeviceEnumerator, [this](REFIID riid, void** ppv) {
          ++creations_;
          return enumerator_->QueryInterface(riid, ppv);
      }) {}

EndpointRegistry::~EndpointRegistry() {
    enumerator_->Clear();  // endpoints go even if a caller still holds the enumerator
}

void EndpointRegistry::Add(IMMDevice* device) { enumerator_->Add(device); }

ComPtr<IMMDevice> EndpointRegistry::Add(const std::wstring& id, const EndpointSetup& setup) {
    ComPtr<IMMDevice> device = NewEndpoint(id, NewEndpointStoreFor(setup).Get());
    enumerator_->Add(device.Get());
    return device;
}

void EndpointRegistry::FailGetDevice(HRESULT status) { enumerator_->FailGetDevice(status); }

size_t EndpointRegistry::Creations() const { return creations_; }

}  // namespace qx::host
