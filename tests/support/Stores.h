#pragma once
// Property stores for tests: Wine's real in-memory store for the endpoint and FX stores,
// typed writers that bypass the module's own writers, and a store that fails on demand.
#include <windows.h>
#include <propsys.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "common/ComPtr.h"
#include "common/UnknownObject.h"
#include "settings/EffectSchema.h"

namespace qx::test {

// A fresh, empty PSCreateMemoryPropertyStore.
ComPtr<IPropertyStore> NewMemoryStore();
// An endpoint store with the form factor (unless 0) and the endpoint GUID key set.
ComPtr<IPropertyStore> NewEndpointStore(uint32_t formFactor);

void PutUInt(IPropertyStore* store, const settings::KeyId& key, uint32_t value);
void PutBool(IPropertyStore* store, const settings::KeyId& key, bool value);  // VT_BOOL: a wrong type
void PutBlob(IPropertyStore* store, const settings::KeyId& key, const void* data, size_t size);
void PutString(IPropertyStore* store, const settings::KeyId& key, const wchar_t* text);

// Reads back a VT_UI4; false when missing or of another type.
bool GetUInt(IPropertyStore* store, const settings::KeyId& key, uint32_t& value);
// The raw bytes of a VT_BLOB; empty when missing or of another type.
std::vector<uint8_t> GetBlob(IPropertyStore* store, const settings::KeyId& key);

// An IPropertyStore whose GetValue and SetValue fail with a given status; with an inner
// store it fails only for the listed keys and passes everything else through.
class FailingPropertyStore : public UnknownObject<IPropertyStore> {
public:
    explicit FailingPropertyStore(HRESULT failure, IPropertyStore* inner = nullptr);
    void FailKey(const settings::KeyId& key) { failKeys_.push_back(key); }
    // The keys asked of GetValue, in order (a capture worker may read beside the test).
    std::vector<settings::KeyId> Reads() const {
        std::lock_guard<std::mutex> lock(readsLock_);
        return reads_;
    }

    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetAt(DWORD index, PROPERTYKEY* key) override;
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override;
    HRESULT STDMETHODCALLTYPE Commit() override;

private:
    bool Fails(REFPROPERTYKEY key) const;

    HRESULT failure_;
    ComPtr<IPropertyStore> inner_;
    std::vector<settings::KeyId> failKeys_;
    mutable std::mutex readsLock_;
    std::vector<settings::KeyId> reads_;
};

}  // namespace qx::test
