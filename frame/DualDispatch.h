#pragma once
// IDispatch of a dual interface, answered from the registered type library.
#include <windows.h>
#include <oaidl.h>

#include "frame/TypeInfoCache.h"

namespace qx {

template <class Dual>
class DualDispatch : public Dual {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return TypeInfoCache::GetTypeInfo(__uuidof(Dual), index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoCache::Get(__uuidof(Dual), lcid, info);
        return FAILED(hr) ? hr : info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoCache::Get(__uuidof(Dual), lcid, info);
        return FAILED(hr) ? hr : info->Invoke(static_cast<Dual*>(this), id, flags, params, result, excep, argErr);
    }
};

}  // namespace qx
