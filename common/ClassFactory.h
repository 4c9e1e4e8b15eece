#pragma once
// The class factory of every server here: the module's cached factories, the sample
// components DLL's and the classes a process serves itself. It makes objects through a
// creator (called as create(outer, riid, ppv) with *ppv null) and keeps the DLL of
// `Module` (any class with static Lock and Unlock) loaded while a client holds it:
// `owned` references, those of a cache that keeps the factory, are not a client's, so
// the module lock is held exactly while the count is above them.
#include <windows.h>
#include <unknwn.h>

#include <new>
#include <utility>

#include "common/UnknownObject.h"

namespace qx {

template <class Module, class Creator>
class ClassFactory final : public UnknownObject<IClassFactory> {
public:
    // A factory born holding its maker's one reference, null when out of memory.
    static ClassFactory* New(Creator create, LONG owned) {
        return new (std::nothrow) ClassFactory(std::move(create), owned);
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        const ULONG n = UnknownObject::AddRef();
        if (LONG(n) == owned_ + 1) Module::Lock();
        return n;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG owned = owned_;  // the last release destroys the object
        const ULONG n = UnknownObject::Release();
        if (LONG(n) == owned) Module::Unlock();
        return n;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        // An aggregated object can only hand its outer object the inner IUnknown.
        if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        return create_(outer, riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) Module::Lock();
        else Module::Unlock();
        return S_OK;
    }

private:
    ClassFactory(Creator create, LONG owned) : create_(std::move(create)), owned_(owned) {
        if (owned_ < 1) Module::Lock();  // the maker's reference is a client's
    }

    Creator create_;
    const LONG owned_;
};

// The module of objects that keep no DLL loaded.
struct NoModule {
    static void Lock() {}
    static void Unlock() {}
};

}  // namespace qx
