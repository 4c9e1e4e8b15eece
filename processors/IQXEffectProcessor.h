#pragma once
// The private processing interface through which the outside processor host drives a
// processor. IUnknown-derived: ten operations, then four slots shaped like IDispatch's.
// The slot order is the contract with the host.
#include <windows.h>
#include <oaidl.h>
#include <propsys.h>

#include "processors/ApoInterfaces.h"

MIDL_INTERFACE("491EC4BE-4EE1-49E5-B56F-EF23DB386121") IQXEffectProcessor : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(IUnknown* endpointStore) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEncodedFormatSupported(USHORT formatTag) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockForProcess(UINT32 sampleRate, UINT32 inChannels, UINT32 outChannels,
                                                     UINT32 maxFrames, IUnknown* fxStore, UINT32 outFormatTag) = 0;
    virtual HRESULT STDMETHODCALLTYPE Process(const float* input, void* output, UINT32 frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProcessMonitor(const float* input, UINT32 frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnPropertyChanged(const PROPERTYKEY* key, IUnknown* fxStore) = 0;
    virtual HRESULT STDMETHODCALLTYPE HostedInitialize(UINT32 byteCount, BYTE* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE HostedLockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs,
                                                           UINT32 outCount, APO_CONNECTION_DESCRIPTOR** outputs) = 0;
    virtual HRESULT STDMETHODCALLTYPE HostedUnlockForProcess() = 0;
    virtual HRESULT STDMETHODCALLTYPE HostedProcess(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs,
                                                    UINT32 outCount, APO_CONNECTION_PROPERTY** outputs) = 0;
    // Dispatch-shaped slots; they look this interface up in the module's type library,
    // which does not describe it.
    virtual HRESULT STDMETHODCALLTYPE ProcessorGetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProcessorGetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProcessorGetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                                             DISPID* ids) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProcessorInvoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                                      DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                                      UINT* argErr) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IQXEffectProcessor, 0x491EC4BE, 0x4EE1, 0x49E5, 0xB5, 0x6F, 0xEF, 0x23, 0xDB, 0x38, 0x61, 0x21)
#endif
