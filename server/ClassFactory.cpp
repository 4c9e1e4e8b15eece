#include "server/ClassFactory.h"

#include <new>

#include "common/QueryInterfaceOf.h"
#include "server/Module.h"

namespace qx {

HRESULT ClassFactory::Create(ObjectCreator creator, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    ClassFactory* factory = new (std::nothrow) ClassFactory(creator);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);  // the table's reference: 0 -> 1
    if (FAILED(hr)) delete factory;
    return hr;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return QueryInterfaceOf(static_cast<IClassFactory*>(this), riid, ppv, {&IID_IUnknown, &IID_IClassFactory});
}

ULONG ClassFactory::AddRef() {
    const LONG n = ++refs_;
    if (n == 2) Module::Lock();
    return ULONG(n);
}

ULONG ClassFactory::Release() {
    const LONG n = --refs_;
    if (n == 1) Module::Unlock();
    if (n == 0) delete this;
    return ULONG(n);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return creator_(outer, riid, ppv);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) Module::Lock();
    else Module::Unlock();
    return S_OK;
}

}  // namespace qx
