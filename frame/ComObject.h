#pragma once
// The identity shared by every object of the module: an atomic reference count, plain
// or aggregated creation, one module lock for the object's lifetime and a critical
// section whose initialisation decides whether creation succeeds.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "common/Handles.h"
#include "frame/Module.h"

namespace qx {

class ComObjectRoot {
public:
    ComObjectRoot(const ComObjectRoot&) = delete;
    ComObjectRoot& operator=(const ComObjectRoot&) = delete;

    // Creates an object of class T, plain (outer null) or aggregated, and answers riid.
    template <class T>
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

protected:
    explicit ComObjectRoot(IUnknown* outer) : outer_(outer), inner_(this) {}
    virtual ~ComObjectRoot() = default;

    // The interface pointer of this object for riid, IUnknown included, with no
    // reference added; null when the object does not answer riid.
    virtual void* FindInterface(REFIID riid) = 0;
    // One-time initialisation after construction; a failure destroys the object.
    virtual HRESULT FinalConstruct() { return cs_.Status(); }

    // The IUnknown methods of every interface of the object: delegate to the outer
    // object when aggregated.
    HRESULT OuterQueryInterface(REFIID riid, void** ppv) {
        return outer_ ? outer_->QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
    }
    ULONG OuterAddRef() { return outer_ ? outer_->AddRef() : InternalAddRef(); }
    ULONG OuterRelease() { return outer_ ? outer_->Release() : InternalRelease(); }

    CriticalSection& ObjectLock() { return cs_; }

private:
    // The non-delegating unknown handed to an aggregating outer object.
    class InnerUnknown : public IUnknown {
    public:
        explicit InnerUnknown(ComObjectRoot* self) : self_(self) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return self_->InternalQueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return self_->InternalAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return self_->InternalRelease(); }

    private:
        ComObjectRoot* self_;
    };

    HRESULT InternalQueryInterface(REFIID riid, void** ppv) {
        if (!ppv) return E_POINTER;
        *ppv = FindInterface(riid);
        if (!*ppv) return E_NOINTERFACE;
        OuterAddRef();
        return S_OK;
    }
    ULONG InternalAddRef() { return ULONG(++refs_); }
    ULONG InternalRelease() {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

    ModuleLockHolder moduleLock_;
    std::atomic<LONG> refs_{0};
    IUnknown* outer_;
    InnerUnknown inner_;
    CriticalSection cs_;
};

template <class T>
HRESULT ComObjectRoot::Create(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    T* object = new (std::nothrow) T(outer);
    if (!object) return E_OUTOFMEMORY;
    ComObjectRoot* root = object;
    root->InternalAddRef();  // keeps the object alive while it is set up
    HRESULT hr = root->FinalConstruct();
    if (SUCCEEDED(hr)) hr = outer ? root->inner_.QueryInterface(riid, ppv) : root->InternalQueryInterface(riid, ppv);
    root->InternalRelease();  // destroys the object when nothing took a reference
    return hr;
}

// IUnknown for a class deriving from ComObjectRoot and its interfaces.
#define QX_IMPLEMENT_IUNKNOWN                                                          \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {       \
        return OuterQueryInterface(riid, ppv);                                         \
    }                                                                                  \
    ULONG STDMETHODCALLTYPE AddRef() override { return OuterAddRef(); }                \
    ULONG STDMETHODCALLTYPE Release() override { return OuterRelease(); }

}  // namespace qx
