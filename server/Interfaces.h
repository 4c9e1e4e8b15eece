#pragma once
// The dual interfaces described by the module's type library. The three processor
// interfaces add nothing to IDispatch; IQXUIExtLib carries the effect-list methods.
#include <windows.h>
#include <oaidl.h>
#include <propsys.h>

MIDL_INTERFACE("B1549114-AB53-48A9-B74C-5EAF4C1F9880") IQXGFXLib : public IDispatch {};
MIDL_INTERFACE("71C5CD9D-5CB8-4448-8AFE-FE51BF7243C8") IQXLFXLib : public IDispatch {};
MIDL_INTERFACE("86A7FBBD-56B3-4C3A-AF30-6F7F0EDBB676") IQXMicLFXLib : public IDispatch {};

MIDL_INTERFACE("99B9F60F-FFD3-4D06-B020-CAE0259E307B") IQXUIExtLib : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetNumDSPSupported(IUnknown* pDeviceUnk, UINT32* pulNumDSP) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_Initialize(HWND hListControl, LPWSTR pwstrEndpointID,
                                                            IUnknown* pFxPropertiesUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_GetStatusString(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                                 USHORT* pwstrStatus, UINT32 cStringSize,
                                                                 BYTE* pbSettingsButtonAvailable) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_SetState(IUnknown* pPropertiesUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_SettingsDialog(HWND hListControl, IUnknown* pFxPropertiesUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_ItemChanged(HWND hListControl, LONG_PTR pNMListView,
                                                             BYTE* pbNotifyParent) = 0;
    virtual HRESULT STDMETHODCALLTYPE EffectList_PropertyValueChanged(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                                      PROPERTYKEY key) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IQXGFXLib, 0xB1549114, 0xAB53, 0x48A9, 0xB7, 0x4C, 0x5E, 0xAF, 0x4C, 0x1F, 0x98, 0x80)
__CRT_UUID_DECL(IQXLFXLib, 0x71C5CD9D, 0x5CB8, 0x4448, 0x8A, 0xFE, 0xFE, 0x51, 0xBF, 0x72, 0x43, 0xC8)
__CRT_UUID_DECL(IQXMicLFXLib, 0x86A7FBBD, 0x56B3, 0x4C3A, 0xAF, 0x30, 0x6F, 0x7F, 0x0E, 0xDB, 0xB6, 0x76)
__CRT_UUID_DECL(IQXUIExtLib, 0x99B9F60F, 0xFFD3, 0x4D06, 0xB0, 0x20, 0xCA, 0xE0, 0x25, 0x9E, 0x30, 0x7B)
#endif
