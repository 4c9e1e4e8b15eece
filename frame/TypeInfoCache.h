#pragma once
// Type information of the module's interfaces, loaded from the registered type library
// on first use and kept until the module unloads.
#include <windows.h>
#include <oaidl.h>

#include "common/ComPtr.h"

namespace qx {

class TypeInfoCache {
public:
    // Loads (under the module lock) the registered library by LIBID 1.0 and lcid, then
    // the type information of iid. Returns the error of whichever load failed.
    static HRESULT Get(REFIID iid, LCID lcid, ComPtr<ITypeInfo>& out);

    // IDispatch::GetTypeInfo on an interface: index check, null check, lookup.
    static HRESULT GetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info);
};

}  // namespace qx
