#pragma once
// Creation of an outside effect component.
#include "common/ComPtr.h"
#include "settings/IQXEffectComponent.h"

namespace qx::settings {

// CoCreateInstance with the component's own IID, then QueryInterface for
// IQXEffectComponent. Any failure leaves the slot empty; nothing is reported.
void CreateEffectComponent(REFCLSID clsid, REFIID creationIid, ComPtr<IQXEffectComponent>& slot);

}  // namespace qx::settings
