#include "bench/win/PassThroughComponent.h"

#include "common/QueryInterfaceOf.h"

namespace qx::bench {

HRESULT PassThroughComponent::QueryInterface(REFIID riid, void** ppv) {
    if (IsEqualIID(riid, IID_IClassFactory))
        return QueryInterfaceOf(static_cast<IClassFactory*>(this), riid, ppv, {&IID_IClassFactory});
    return QueryInterfaceOf(static_cast<IQXEffectComponent*>(this), riid, ppv,
                            {&IID_IUnknown, &__uuidof(IQXEffectComponent), &iid_});
}

HRESULT PassThroughComponent::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (outer) return CLASS_E_NOAGGREGATION;
    return QueryInterface(riid, ppv);
}

}  // namespace qx::bench
