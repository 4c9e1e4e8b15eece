#include "processors/HostedApo.h"

namespace qx {

HRESULT HostedApo::Initialize(REFCLSID clsid, UINT32 byteCount, BYTE* data) {
    Reset();
    ComPtr<IUnknown> object;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.PutVoid());
    if (SUCCEEDED(hr) && !object) hr = E_NOINTERFACE;
    if (SUCCEEDED(hr)) {
        ComPtr<IAudioProcessingObject> apo;
        hr = object.As(apo);
        if (SUCCEEDED(hr) && !apo) hr = E_NOINTERFACE;
        if (SUCCEEDED(hr)) hr = apo->Initialize(byteCount, data);
    }
    if (SUCCEEDED(hr)) {
        object_ = object;
        QueryRealTime();  // so that a period works even before any lock
    }
    // The object is optional: not installed, or not an audio processing object, is fine.
    if (hr == E_NOINTERFACE || hr == REGDB_E_CLASSNOTREG) return S_OK;
    return hr;
}

HRESULT HostedApo::LockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs, UINT32 outCount,
                                  APO_CONNECTION_DESCRIPTOR** outputs) {
    ComPtr<IAudioProcessingObjectConfiguration> config;
    const bool configurable = SUCCEEDED(object_.As(config)) && config;
    const HRESULT hr = configurable ? config->LockForProcess(inCount, inputs, outCount, outputs) : S_OK;
    QueryRealTime();
    return hr;
}

void HostedApo::QueryRealTime() {
    if (FAILED(object_.As(realTime_))) realTime_.Reset();
}

HRESULT HostedApo::UnlockForProcess() {
    ComPtr<IAudioProcessingObjectConfiguration> config;
    if (!object_ || FAILED(object_.As(config)) || !config) return S_OK;
    return config->UnlockForProcess();
}

HRESULT HostedApo::Process(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs, UINT32 outCount,
                           APO_CONNECTION_PROPERTY** outputs) {
    if (!realTime_) return S_FALSE;
    realTime_->APOProcess(inCount, inputs, outCount, outputs);
    return S_OK;
}

}  // namespace qx
