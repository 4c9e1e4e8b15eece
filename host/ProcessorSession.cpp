#include "host/ProcessorSession.h"

#include <propvarutil.h>

#include "common/PropVariant.h"
#include "frame/Identifiers.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::host {

namespace {
// The endpoint identity string an engine hands out; only its presence matters here.
constexpr wchar_t kEndpointId[] = L"{0.0.0.00000000}.{51A0B2C3-0D4E-4F60-8A7B-9C0D1E2F3A4B}";

std::string Hex(HRESULT hr) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}
}  // namespace

const CLSID& ProcessorClsid(ProcessorKind kind) {
    switch (kind) {
    case ProcessorKind::Local: return CLSID_QXLFXLib;
    case ProcessorKind::Capture: return CLSID_QXMicLFXLib;
    default: return CLSID_QXGFXLib;
    }
}

ProcessorSession::ProcessorSession() {
    PSCreateMemoryPropertyStore(IID_IPropertyStore, endpointStore_.PutVoid());
    PSCreateMemoryPropertyStore(IID_IPropertyStore, fxStore_.PutVoid());
}

bool ProcessorSession::Create(ProcessorKind kind, const std::string& modulePath, std::string& origin,
                              std::string& error) {
    if (!endpointStore_ || !fxStore_) {
        error = "cannot create in-memory property stores";
        return false;
    }
    const CLSID& clsid = ProcessorClsid(kind);
    std::wstring path = Widen(modulePath);
    if (path.empty()) {
        const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IQXEffectProcessor),
                                            processor_.PutVoid());
        if (SUCCEEDED(hr)) {
            origin = "created through its registration";
            return true;
        }
        if (hr != REGDB_E_CLASSNOTREG) {
            error = std::string("creating ") + ProcessorName(kind) + " failed with " + Hex(hr);
            return false;
        }
        path = ProgramFolder() + L"QXAPOMain.dll";
        origin = "not registered; loaded " + Narrow(path) + " directly";
    } else {
        origin = "loaded directly from " + modulePath;
    }
    if (!directModule_.Load(path, error)) return false;
    const HRESULT hr = directModule_.CreateInstance(clsid, __uuidof(IQXEffectProcessor), processor_.PutVoid());
    if (FAILED(hr)) {
        error = std::string("creating ") + ProcessorName(kind) + " from " + Narrow(path) + " failed with " + Hex(hr);
        return false;
    }
    return true;
}

HRESULT ProcessorSession::Initialize(uint32_t formFactor) {
    settings::WriteUInt(endpointStore_.Get(), settings::key::EndpointFormFactor, formFactor);
    PropVariant id;
    InitPropVariantFromString(kEndpointId, &id);
    endpointStore_->SetValue(settings::ToPropertyKey(settings::key::EndpointGuid), id.Get());
    return processor_->Initialize(endpointStore_.Get());
}

HRESULT ProcessorSession::Lock(uint32_t rate, uint32_t inChannels, uint32_t outChannels, uint32_t maxFrames,
                               uint32_t outputTag) {
    return processor_->LockForProcess(rate, inChannels, outChannels, maxFrames, fxStore_.Get(), outputTag);
}

HRESULT ProcessorSession::Write(const SettingValue& s) {
    if (!s.key) return E_INVALIDARG;
    if (s.key->kind == settings::ValueKind::Blob)
        return settings::WriteBlob(fxStore_.Get(), s.key->key, s.blob.data(), uint32_t(s.blob.size()));
    return settings::WriteUInt(fxStore_.Get(), s.key->key, s.value);
}

HRESULT ProcessorSession::Change(const SettingValue& s) {
    const HRESULT hr = Write(s);
    if (FAILED(hr)) return hr;
    const PROPERTYKEY key = settings::ToPropertyKey(s.key->key);
    return processor_->OnPropertyChanged(&key, fxStore_.Get());
}

}  // namespace qx::host
