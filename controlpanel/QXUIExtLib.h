#pragma once
// The logic of the control panel's effect list and the entry to the settings dialogs. The
// page that hosts the list owns the list-view; this object fills it, keeps its check
// boxes and the FX property store in step and opens the selected effect's dialog.
#include <propsys.h>

#include "controlpanel/DialogTable.h"
#include "controlpanel/EffectListTables.h"
#include "frame/ComObject.h"
#include "frame/DualDispatch.h"
#include "frame/Identifiers.h"

namespace qx {

class QXUIExtLib : public DualDispatch<IQXUIExtLib>, public ComObjectRoot {
public:
    explicit QXUIExtLib(IUnknown* outer);
    ~QXUIExtLib() override;

    QX_IMPLEMENT_IUNKNOWN

    HRESULT STDMETHODCALLTYPE GetNumDSPSupported(IUnknown* pDeviceUnk, ULONG* pulNumDSP) override;
    HRESULT STDMETHODCALLTYPE EffectList_Initialize(HWND hListControl, LPWSTR pwstrEndpointID,
                                                    IUnknown* pFxPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_GetStatusString(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                         USHORT* pwstrStatus, ULONG cStringSize,
                                                         BYTE* pbSettingsButtonAvailable) override;
    HRESULT STDMETHODCALLTYPE EffectList_SetState(IUnknown* pPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_SettingsDialog(HWND hListControl, IUnknown* pFxPropertiesUnk) override;
    HRESULT STDMETHODCALLTYPE EffectList_ItemChanged(HWND hListControl, LONG_PTR pNMListView,
                                                     BYTE* pbNotifyParent) override;
    HRESULT STDMETHODCALLTYPE EffectList_PropertyValueChanged(HWND hListControl, IUnknown* pFxPropertiesUnk,
                                                              PROPERTYKEY key) override;

protected:
    void* FindInterface(REFIID riid) override;

private:
    using EffectId = settings::EffectId;
    static constexpr size_t kSlots = controlpanel::kEffectSlots;

    // Reads the endpoint and fills the list; the status of the last step on the device.
    HRESULT BuildList(HWND list, const wchar_t* endpointId, IPropertyStore* fx);
    void InsertColumn(HWND list);
    void InsertRows(HWND list, const bool (&available)[controlpanel::kEffectSlots], uint16_t traits);
    void LoadCheckBoxes(HWND list, IPropertyStore* fx);
    void RegisterRefreshMessage();
    // The EffectId of a row, 0 outside the table.
    EffectId RowEffect(int row) const;

    EffectId rows_[kSlots] = {};   // EffectId per list row, row 0 first
    uint8_t enabled_[kSlots] = {};  // by EffectId
    uint32_t speakerMask_ = 3;
    bool initialising_ = false;
    UINT refreshMessage_ = 0;
    HWND openDialog_ = nullptr;  // written by the open dialog, cleared when it has ended
};

}  // namespace qx
