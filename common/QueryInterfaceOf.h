#pragma once
// QueryInterface of an object that answers a fixed set of IIDs with one interface
// pointer: `self`, with a reference added, for any IID in `iids`; E_NOINTERFACE (and a
// null *ppv) for any other.
#include <windows.h>
#include <unknwn.h>

#include <initializer_list>

namespace qx {

template <class Interface>
HRESULT QueryInterfaceOf(Interface* self, REFIID riid, void** ppv, std::initializer_list<const IID*> iids) {
    if (!ppv) return E_POINTER;
    for (const IID* iid : iids) {
        if (IsEqualIID(riid, *iid)) {
            *ppv = self;
            self->AddRef();
            return S_OK;
        }
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

}  // namespace qx
