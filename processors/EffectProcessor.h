#pragma once
// The object frame shared by the three processor classes: the COM identity (the class's
// dual interface, IDispatch, IQXEffectProcessor, IUnknown), aggregation, the module lock
// and the default answers of the processing interface that a class does not override.
#include <windows.h>

#include "frame/ComObject.h"
#include "frame/DualDispatch.h"
#include "processors/IQXEffectProcessor.h"

namespace qx {

template <class Dual>
class EffectProcessor : public DualDispatch<Dual>, public IQXEffectProcessor, public ComObjectRoot {
public:
    QX_IMPLEMENT_IUNKNOWN

    // Operations only the global-effects class offers.
    HRESULT STDMETHODCALLTYPE IsEncodedFormatSupported(USHORT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessMonitor(const float*, UINT32) override { return E_NOTIMPL; }

    // A processor that hosts no audio processing object: nothing to set up, and the
    // hosted process writes nothing (status 1).
    HRESULT STDMETHODCALLTYPE HostedInitialize(UINT32, BYTE*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HostedLockForProcess(UINT32, APO_CONNECTION_DESCRIPTOR**, UINT32,
                                                   APO_CONNECTION_DESCRIPTOR**) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HostedUnlockForProcess() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HostedProcess(UINT32, APO_CONNECTION_PROPERTY**, UINT32,
                                            APO_CONNECTION_PROPERTY**) override {
        return 1;
    }

    // The dispatch slots of IQXEffectProcessor look the interface up in the type
    // library, which does not describe it, so all but the count fail.
    HRESULT STDMETHODCALLTYPE ProcessorGetTypeInfoCount(UINT* count) override {
        return DualDispatch<Dual>::GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE ProcessorGetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return TypeInfoCache::GetTypeInfo(__uuidof(IQXEffectProcessor), index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE ProcessorGetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                                     DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoCache::Get(__uuidof(IQXEffectProcessor), lcid, info);
        return FAILED(hr) ? hr : info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE ProcessorInvoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                              VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoCache::Get(__uuidof(IQXEffectProcessor), lcid, info);
        return FAILED(hr) ? hr
                          : info->Invoke(static_cast<IQXEffectProcessor*>(this), id, flags, params, result, excep,
                                         argErr);
    }

protected:
    explicit EffectProcessor(IUnknown* outer) : ComObjectRoot(outer) {}

    void* FindInterface(REFIID riid) override {
        if (IsEqualIID(riid, __uuidof(Dual)) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IUnknown))
            return static_cast<Dual*>(this);
        if (IsEqualIID(riid, __uuidof(IQXEffectProcessor))) return static_cast<IQXEffectProcessor*>(this);
        return nullptr;
    }
};

}  // namespace qx
