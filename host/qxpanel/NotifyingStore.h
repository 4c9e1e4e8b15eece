#pragma once
// The FX store as the page host sees it: a memory store that tells the page window about
// every value written into it (by Apply or by a settings dialog), the way an endpoint's
// store reports its changes to the sound control panel.
#include <windows.h>
#include <propsys.h>

#include <vector>

#include "common/ComPtr.h"
#include "common/UnknownObject.h"

namespace qx::panel {

class NotifyingStore : public UnknownObject<IPropertyStore> {
public:
    // Posts `message` to `window` once for each batch of writes.
    NotifyingStore(IPropertyStore* inner, HWND window, UINT message);

    // The keys written since the last call.
    std::vector<PROPERTYKEY> TakeChanges();

    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override { return inner_->GetCount(count); }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD index, PROPERTYKEY* key) override { return inner_->GetAt(index, key); }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override {
        return inner_->GetValue(key, value);
    }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override;
    HRESULT STDMETHODCALLTYPE Commit() override { return S_OK; }

private:
    ComPtr<IPropertyStore> inner_;
    HWND window_;
    UINT message_;
    std::vector<PROPERTYKEY> changes_;
};

}  // namespace qx::panel
