#include "bench/win/PassThroughComponent.h"

#include <new>

namespace qx::bench {

HRESULT PassThroughComponent::Create(const IID& creationIid, REFIID riid, void** ppv) {
    PassThroughComponent* component = new (std::nothrow) PassThroughComponent(creationIid);
    if (!component) return E_OUTOFMEMORY;
    return QueryNewObject(component, riid, ppv);
}

void* PassThroughComponent::FindInterface(REFIID riid) {
    if (IsEqualIID(riid, iid_)) return static_cast<IQXEffectComponent*>(this);
    return UnknownObject::FindInterface(riid);
}

}  // namespace qx::bench
