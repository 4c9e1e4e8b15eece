#include "controlpanel/QXUIExtLib.h"

namespace qx {

QXUIExtLib::QXUIExtLib(IUnknown* outer) : ComObjectRoot(outer) {}

QXUIExtLib::~QXUIExtLib() = default;

void* QXUIExtLib::FindInterface(REFIID riid) {
    if (IsEqualIID(riid, __uuidof(IQXUIExtLib)) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IUnknown))
        return static_cast<IQXUIExtLib*>(this);
    return nullptr;
}

// The effect-list methods are not implemented yet.
HRESULT QXUIExtLib::GetNumDSPSupported(IUnknown*, UINT32*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_Initialize(HWND, LPWSTR, IUnknown*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_GetStatusString(HWND, IUnknown*, USHORT*, UINT32, BYTE*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_SetState(IUnknown*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_SettingsDialog(HWND, IUnknown*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_ItemChanged(HWND, LONG_PTR, BYTE*) { return E_NOTIMPL; }
HRESULT QXUIExtLib::EffectList_PropertyValueChanged(HWND, IUnknown*, PROPERTYKEY) { return E_NOTIMPL; }

}  // namespace qx
