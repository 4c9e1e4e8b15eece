#pragma once
// The module's objects: the common IUnknown (plain or aggregated creation) plus one
// module lock for the object's lifetime and a critical section whose initialisation
// decides whether creation succeeds.
#include <windows.h>

#include <new>

#include "common/Handles.h"
#include "common/UnknownObject.h"
#include "frame/Module.h"

namespace qx {

class ComObjectRoot : public UnknownCore {
public:
    // Creates an object of class T, plain (outer null) or aggregated, and answers riid.
    template <class T>
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

protected:
    explicit ComObjectRoot(IUnknown* outer) : UnknownCore(outer) {}

    // One-time initialisation after construction; a failure destroys the object.
    virtual HRESULT FinalConstruct() { return cs_.Status(); }

    CriticalSection& ObjectLock() { return cs_; }

private:
    ModuleLockHolder moduleLock_;
    CriticalSection cs_;
};

template <class T>
HRESULT ComObjectRoot::Create(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    T* object = new (std::nothrow) T(outer);
    if (!object) return E_OUTOFMEMORY;
    ComObjectRoot* root = object;
    return root->AnswerNew(root->FinalConstruct(), riid, ppv);
}

}  // namespace qx
