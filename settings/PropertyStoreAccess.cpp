#include "settings/PropertyStoreAccess.h"

#include <cstring>

#include "common/PropVariant.h"

namespace qx::settings {

static_assert(sizeof(Guid) == sizeof(GUID), "Guid must have the GUID layout");

PROPERTYKEY ToPropertyKey(const KeyId& key) {
    PROPERTYKEY pk;
    std::memcpy(&pk.fmtid, &key.fmtid, sizeof(GUID));
    pk.pid = key.pid;
    return pk;
}

KeyId FromPropertyKey(const PROPERTYKEY& key) {
    KeyId k;
    std::memcpy(&k.fmtid, &key.fmtid, sizeof(GUID));
    k.pid = key.pid;
    return k;
}

bool SameKey(const PROPERTYKEY& a, const KeyId& b) { return FromPropertyKey(a) == b; }

ComPtr<IPropertyStore> QueryStore(IUnknown* unknown) {
    ComPtr<IPropertyStore> store;
    if (unknown) unknown->QueryInterface(IID_IPropertyStore, store.PutVoid());
    return store;
}

namespace {
// Reads a value into v; true when the read succeeded with the wanted variant type.
bool ReadTyped(IPropertyStore* store, const KeyId& key, VARTYPE type, PropVariant& v) {
    if (!store) return false;
    const PROPERTYKEY pk = ToPropertyKey(key);
    return SUCCEEDED(store->GetValue(pk, &v)) && v.Type() == type;
}

HRESULT Write(IPropertyStore* store, const KeyId& key, const PROPVARIANT& value) {
    if (!store) return E_POINTER;
    return store->SetValue(ToPropertyKey(key), value);
}
}  // namespace

HRESULT ReadStatus(IPropertyStore* store, const KeyId& key) {
    if (!store) return E_POINTER;
    PropVariant v;
    return store->GetValue(ToPropertyKey(key), &v);
}

bool ReadUInt(IPropertyStore* store, const KeyId& key, uint32_t& out) {
    PropVariant v;
    if (!ReadTyped(store, key, VT_UI4, v)) return false;
    out = v.Get().ulVal;
    return true;
}

bool ReadFlag(IPropertyStore* store, const KeyId& key, bool& out) {
    uint32_t value;
    if (!ReadUInt(store, key, value)) return false;
    out = value != 0;
    return true;
}

bool ReadBlobHead(IPropertyStore* store, const KeyId& key, void* out, uint32_t size) {
    PropVariant v;
    if (!ReadTyped(store, key, VT_BLOB, v)) return false;
    const BLOB& blob = v.Get().blob;
    if (blob.cbSize < size || (size && !blob.pBlobData)) return false;
    std::memcpy(out, blob.pBlobData, size);
    return true;
}

bool ReadBlob(IPropertyStore* store, const KeyId& key, void* out, uint32_t size) {
    PropVariant v;
    if (!ReadTyped(store, key, VT_BLOB, v)) return false;
    const BLOB& blob = v.Get().blob;
    if (blob.cbSize != size || (size && !blob.pBlobData)) return false;
    std::memcpy(out, blob.pBlobData, size);
    return true;
}

HRESULT ReadUIntStatus(IPropertyStore* store, const KeyId& key, uint32_t& out, bool& counted) {
    counted = false;
    if (!store) return E_POINTER;
    PropVariant v;
    const HRESULT hr = store->GetValue(ToPropertyKey(key), &v);
    if (SUCCEEDED(hr) && v.Type() == VT_UI4) {
        out = v.Get().ulVal;
        counted = true;
    }
    return hr;
}

HRESULT ReadBlobStatus(IPropertyStore* store, const KeyId& key, void* out, uint32_t size, bool& counted) {
    counted = false;
    if (!store) return E_POINTER;
    PropVariant v;
    const HRESULT hr = store->GetValue(ToPropertyKey(key), &v);
    if (SUCCEEDED(hr) && v.Type() == VT_BLOB) {
        const BLOB& blob = v.Get().blob;
        if (blob.cbSize == size && (size == 0 || blob.pBlobData)) {
            std::memcpy(out, blob.pBlobData, size);
            counted = true;
        }
    }
    return hr;
}

HRESULT ReadAnyUInt32(IPropertyStore* store, const KeyId& key, uint32_t& out) {
    if (!store) return E_POINTER;
    PropVariant v;
    const HRESULT hr = store->GetValue(ToPropertyKey(key), &v);
    if (SUCCEEDED(hr)) out = v.Get().ulVal;
    return hr;
}

HRESULT ReadEndpointProperties(IUnknown* endpoint, uint32_t& formFactor) {
    if (!endpoint) return E_POINTER;
    ComPtr<IPropertyStore> store;
    HRESULT status = endpoint->QueryInterface(IID_IPropertyStore, store.PutVoid());
    if (SUCCEEDED(status) && !store) status = E_NOINTERFACE;
    if (FAILED(status)) return status;
    uint32_t value = 0;
    if (SUCCEEDED(ReadAnyUInt32(store.Get(), key::EndpointFormFactor, value))) formFactor = value;
    return ReadStatus(store.Get(), key::EndpointGuid);
}

HRESULT WriteUInt(IPropertyStore* store, const KeyId& key, uint32_t value) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_UI4;
    v.ulVal = value;
    return Write(store, key, v);
}

HRESULT WriteFlag(IPropertyStore* store, const KeyId& key, bool on) { return WriteUInt(store, key, EncodeFlag(on)); }

HRESULT WriteSigned(IPropertyStore* store, const KeyId& key, int32_t value) {
    return WriteUInt(store, key, EncodeSigned(value));
}

HRESULT WriteBlob(IPropertyStore* store, const KeyId& key, const void* data, uint32_t size) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_BLOB;
    v.blob.cbSize = size;
    v.blob.pBlobData = static_cast<BYTE*>(const_cast<void*>(data));
    return Write(store, key, v);  // the store copies the bytes
}

}  // namespace qx::settings
