#pragma once
// The logic of the control panel's effect list and the entry to the settings dialogs.
#include "server/ComObject.h"
#include "server/DualDispatch.h"
#include "server/Interfaces.h"

namespace qx {

class QXUIExtLib : public DualDispatch<IQXUIExtLib>, public ComObjectRoot {
public:
    explicit QXUIExtLib(IUnknown* outer);
    ~QXUIExtLib() override;

    QX_IMPLEMENT_IUNKNOWN

    HRESULT STDMETHODCALLTYPE GetNumDSPSupported(IUnknown* pDeviceUnk, UINT32* pulNumDSP) override;
    HRESULT STDMETHODCALLTYPE EffectList_Initialize(HWND hListControl, LPWSTR pwstrEndpointID,
                                                    IUnknown* pFxPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_GetStatusString(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                         USHORT* pwstrStatus, UINT32 cStringSize,
                                                         BYTE* pbSettingsButtonAvailable) override;
    HRESULT STDMETHODCALLTYPE EffectList_SetState(IUnknown* pPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_SettingsDialog(HWND hListControl, IUnknown* pFxPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_ItemChanged(HWND hListControl, LONG_PTR pNMListView,
                                                     BYTE* pbNotifyParent) override;
    HRESULT STDMETHODCALLTYPE EffectList_PropertyValueChanged(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                              PROPERTYKEY key) override;

protected:
    void* FindInterface(REFIID riid) override;
};

}  // namespace qx
