#include "host/qxpanel/NotifyingStore.h"

namespace qx::panel {

NotifyingStore::NotifyingStore(IPropertyStore* inner, HWND window, UINT message)
    : inner_(inner), window_(window), message_(message) {}

std::vector<PROPERTYKEY> NotifyingStore::TakeChanges() {
    std::vector<PROPERTYKEY> changes;
    changes.swap(changes_);
    return changes;
}

HRESULT NotifyingStore::SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) {
    const HRESULT hr = inner_->SetValue(key, value);
    if (FAILED(hr)) return hr;
    // The page handles the batch after the writer returns, as a store notification would.
    if (changes_.empty()) PostMessageW(window_, message_, 0, 0);
    changes_.push_back(key);
    return hr;
}

}  // namespace qx::panel
