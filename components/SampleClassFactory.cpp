#include "components/SampleClassFactory.h"

#include <new>

#include "common/QueryInterfaceOf.h"
#include "components/SampleComponent.h"

namespace qx::samplefx {

HRESULT SampleClassFactory::Create(const SampleClass& cls, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    SampleClassFactory* factory = new (std::nothrow) SampleClassFactory(cls);
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

HRESULT SampleClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return QueryInterfaceOf(static_cast<IClassFactory*>(this), riid, ppv, {&IID_IUnknown, &IID_IClassFactory});
}

ULONG SampleClassFactory::AddRef() { return ULONG(++refs_); }

ULONG SampleClassFactory::Release() {
    const LONG n = --refs_;
    if (n == 0) delete this;
    return ULONG(n);
}

HRESULT SampleClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return SampleComponent::Create(class_.make(), class_.creationIid, riid, ppv);
}

HRESULT SampleClassFactory::LockServer(BOOL lock) {
    if (lock) SampleModule::Lock();
    else SampleModule::Unlock();
    return S_OK;
}

}  // namespace qx::samplefx
