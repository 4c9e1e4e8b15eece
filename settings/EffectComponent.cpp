#include "settings/EffectComponent.h"

namespace qx::settings {

void CreateEffectComponent(REFCLSID clsid, REFIID creationIid, ComPtr<IQXEffectComponent>& slot) {
    slot.Reset();
    ComPtr<IUnknown> created;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, creationIid, created.PutVoid())) || !created)
        return;
    ComPtr<IQXEffectComponent> component;
    if (SUCCEEDED(created->QueryInterface(__uuidof(IQXEffectComponent), component.PutVoid())) && component)
        slot = component;
}

}  // namespace qx::settings
