#include "tests/support/Stores.h"

#include <propvarutil.h>

#include "common/PropVariant.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::test {

using settings::KeyId;
using settings::ToPropertyKey;

ComPtr<IPropertyStore> NewMemoryStore() {
    ComPtr<IPropertyStore> store;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, store.PutVoid());
    return store;
}

ComPtr<IPropertyStore> NewEndpointStore(uint32_t formFactor) {
    ComPtr<IPropertyStore> store = NewMemoryStore();
    if (formFactor) PutUInt(store.Get(), settings::key::EndpointFormFactor, formFactor);
    PutString(store.Get(), settings::key::EndpointGuid, L"{0.0.0.00000000}.{test-endpoint}");
    return store;
}

void PutUInt(IPropertyStore* store, const KeyId& key, uint32_t value) {
    PropVariant v;
    InitPropVariantFromUInt32(value, &v);
    store->SetValue(ToPropertyKey(key), v.Get());
}

void PutBool(IPropertyStore* store, const KeyId& key, bool value) {
    PropVariant v;
    InitPropVariantFromBoolean(value, &v);
    store->SetValue(ToPropertyKey(key), v.Get());
}

void PutBlob(IPropertyStore* store, const KeyId& key, const void* data, size_t size) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_BLOB;
    v.blob.cbSize = ULONG(size);
    v.blob.pBlobData = static_cast<BYTE*>(const_cast<void*>(data));
    store->SetValue(ToPropertyKey(key), v);
}

void PutString(IPropertyStore* store, const KeyId& key, const wchar_t* text) {
    PropVariant v;
    InitPropVariantFromString(text, &v);
    store->SetValue(ToPropertyKey(key), v.Get());
}

bool GetUInt(IPropertyStore* store, const KeyId& key, uint32_t& value) {
    PropVariant v;
    if (FAILED(store->GetValue(ToPropertyKey(key), &v)) || v.Type() != VT_UI4) return false;
    value = v.Get().ulVal;
    return true;
}

std::vector<uint8_t> GetBlob(IPropertyStore* store, const KeyId& key) {
    PropVariant v;
    if (FAILED(store->GetValue(ToPropertyKey(key), &v)) || v.Type() != VT_BLOB) return {};
    const BLOB& b = v.Get().blob;
    return std::vector<uint8_t>(b.pBlobData, b.pBlobData + b.cbSize);
}

FailingPropertyStore::FailingPropertyStore(HRESULT failure, IPropertyStore* inner)
    : failure_(failure), inner_(inner) {}

bool FailingPropertyStore::Fails(REFPROPERTYKEY key) const {
    if (!inner_) return true;
    for (const KeyId& k : failKeys_)
        if (settings::SameKey(key, k)) return true;
    return false;
}

HRESULT FailingPropertyStore::GetCount(DWORD* count) {
    if (inner_) return inner_->GetCount(count);
    if (count) *count = 0;
    return failure_;
}

HRESULT FailingPropertyStore::GetAt(DWORD index, PROPERTYKEY* key) {
    return inner_ ? inner_->GetAt(index, key) : failure_;
}

HRESULT FailingPropertyStore::GetValue(REFPROPERTYKEY key, PROPVARIANT* value) {
    {
        std::lock_guard<std::mutex> lock(readsLock_);
        reads_.push_back(settings::FromPropertyKey(key));
    }
    if (Fails(key)) {
        if (value) PropVariantInit(value);
        return failure_;
    }
    return inner_->GetValue(key, value);
}

HRESULT FailingPropertyStore::SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) {
    return Fails(key) ? failure_ : inner_->SetValue(key, value);
}

HRESULT FailingPropertyStore::Commit() { return inner_ ? inner_->Commit() : failure_; }

}  // namespace qx::test
