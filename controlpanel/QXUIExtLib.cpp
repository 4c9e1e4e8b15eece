#include "controlpanel/QXUIExtLib.h"

#include <commctrl.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/ComPtr.h"
#include "common/FormatText.h"
#include "common/Status.h"
#include "controlpanel/DialogTable.h"
#include "controlpanel/DolbyPanel.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

using namespace settings;
using controlpanel::kEffectSlots;

namespace {
constexpr GUID kClsidDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr UINT kUnchecked = 1;
constexpr UINT kChecked = 2;

GUID ToGUID(const Guid& g) {
    GUID out;
    static_assert(sizeof out == sizeof g, "Guid must have the GUID layout");
    std::memcpy(&out, &g, sizeof out);
    return out;
}

// An effect is available when its component can be created; the object is released at once.
void TestAvailability(bool (&available)[kEffectSlots]) {
    std::fill(std::begin(available), std::end(available), false);
    for (size_t i = 0; i < controlpanel::kAlwaysAvailableCount; ++i) available[controlpanel::kAlwaysAvailable[i]] = true;
    for (size_t c = 0; c < controlpanel::kComponentClassCount; ++c) {
        const controlpanel::ComponentClass& component = controlpanel::kComponentClasses[c];
        ComPtr<IUnknown> object;
        const HRESULT hr = CoCreateInstance(ToGUID(component.clsid), nullptr, CLSCTX_INPROC_SERVER,
                                            ToGUID(component.iid), object.PutVoid());
        if (FAILED(hr) || !object) continue;
        for (uint8_t e = 0; e < component.count; ++e) available[component.effects[e]] = true;
    }
}

// The endpoint keys are taken as they are stored, a missing value reading as 0; the
// status is that of the read.
HRESULT ReadSpeakerMask(IPropertyStore* endpoint, uint32_t& mask) {
    return ReadAnyUInt32(endpoint, key::EndpointPhysicalSpeakers, mask);
}

// Digital outputs list other effects while they carry a compressed pass-through format.
bool HasPassThroughFormat(IPropertyStore* endpoint, uint32_t formFactor) {
    if (formFactor != FormFactorSpdif && formFactor != FormFactorHdmi) return false;
    uint8_t tag[2];
    return ReadBlobHead(endpoint, key::EngineDeviceFormat, tag, sizeof tag) &&
           controlpanel::IsPassThroughFormat(uint16_t(tag[0] | tag[1] << 8));
}

void SetStateImage(HWND list, int row, UINT image) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

bool IsEnableKey(const KeyId& key) {
    for (const EffectInfo& effect : kEffectTable)
        if (effect.enableKey == key) return true;
    return false;
}

// "Quellix Effect: <status name>\n\nStatus: %S"; the Zurarur canceller has a text of its own.
std::wstring StatusFormat(const EffectInfo& effect) {
    const std::wstring head = effect.statusName ? std::wstring(L"Quellix Effect: ") + effect.statusName
                                                : std::wstring(L"Zurarur Effect: Acoustic Echo Cancellation");
    return head + L"\n\nStatus: %S";
}
}  // namespace

QXUIExtLib::QXUIExtLib(IUnknown* outer) : ComObjectRoot(outer) {}

QXUIExtLib::~QXUIExtLib() = default;

void* QXUIExtLib::FindInterface(REFIID riid) {
    if (IsEqualIID(riid, __uuidof(IQXUIExtLib)) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IUnknown))
        return static_cast<IQXUIExtLib*>(this);
    return nullptr;
}

QXUIExtLib::EffectId QXUIExtLib::RowEffect(int row) const {
    return (row >= 0 && size_t(row) < kSlots) ? rows_[row] : EffectNone;
}

HRESULT QXUIExtLib::GetNumDSPSupported(IUnknown* pDeviceUnk, ULONG* pulNumDSP) {
    if (pulNumDSP) *pulNumDSP = 0;
    if (!pDeviceUnk || !pulNumDSP) return E_POINTER;

    ComPtr<IMMDevice> device;
    ComPtr<IPropertyStore> endpoint;
    uint32_t formFactor = 0;
    if (FAILED(pDeviceUnk->QueryInterface(__uuidof(IMMDevice), device.PutVoid())) || !device ||
        FAILED(device->OpenPropertyStore(STGM_READ, endpoint.Put())) || !endpoint ||
        FAILED(ReadAnyUInt32(endpoint.Get(), key::EndpointFormFactor, formFactor)))
        return S_OK;
    // Unlike the list, the count keeps a mask of 0 and takes 3 only when the read fails.
    uint32_t mask = 3;
    if (FAILED(ReadSpeakerMask(endpoint.Get(), mask))) mask = 3;

    bool available[kEffectSlots];
    TestAvailability(available);
    const uint16_t traits =
        controlpanel::EndpointTraits(formFactor, mask, HasPassThroughFormat(endpoint.Get(), formFactor));
    *pulNumDSP = controlpanel::CountEffects(traits, available);
    return S_OK;
}

HRESULT QXUIExtLib::EffectList_Initialize(HWND hListControl, LPWSTR pwstrEndpointID, IUnknown* pFxPropertiesUnk) {
    if (!hListControl) return E_POINTER;
    std::fill(std::begin(rows_), std::end(rows_), EffectNone);
    std::fill(std::begin(enabled_), std::end(enabled_), uint8_t(0));
    SendMessageW(hListControl, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(hListControl, LVM_DELETECOLUMN, 0, 0);

    // The check boxes set while the list is built are not the user's changes.
    initialising_ = true;
    const HRESULT hr = BuildList(hListControl, pwstrEndpointID, QueryStore(pFxPropertiesUnk).Get());
    initialising_ = false;
    return hr;
}

HRESULT QXUIExtLib::BuildList(HWND list, const wchar_t* endpointId, IPropertyStore* fx) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  enumerator.PutVoid());
    if (FAILED(hr) || !enumerator) return FAILED(hr) ? hr : E_POINTER;
    ComPtr<IMMDevice> device;
    hr = enumerator->GetDevice(endpointId, device.Put());
    if (FAILED(hr) || !device) return FAILED(hr) ? hr : E_POINTER;

    // Without the endpoint's store the form factor stays unknown: a column but no rows.
    uint32_t formFactor = FormFactorUnknown;
    bool passThrough = false;
    ComPtr<IPropertyStore> endpoint;
    hr = device->OpenPropertyStore(STGM_READ, endpoint.Put());
    if (SUCCEEDED(hr) && endpoint) {
        if (FAILED(ReadAnyUInt32(endpoint.Get(), key::EndpointFormFactor, formFactor))) formFactor = FormFactorUnknown;
        uint32_t mask = 0;
        hr = ReadSpeakerMask(endpoint.Get(), mask);
        if (SUCCEEDED(hr)) speakerMask_ = mask ? mask : 3;
        passThrough = HasPassThroughFormat(endpoint.Get(), formFactor);
    }

    bool available[kEffectSlots];
    TestAvailability(available);
    InsertColumn(list);
    InsertRows(list, available, controlpanel::EndpointTraits(formFactor, speakerMask_, passThrough));
    LoadCheckBoxes(list, fx);
    return hr;
}

void QXUIExtLib::InsertColumn(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 250;
    column.pszText = const_cast<LPWSTR>(L"Full Name");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void QXUIExtLib::InsertRows(HWND list, const bool (&available)[kEffectSlots], uint16_t traits) {
    EffectId ids[kSlots];
    const size_t count = controlpanel::BuildRows(traits, available, ids);
    for (size_t row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(row);
        item.pszText = const_cast<LPWSTR>(FindEffect(ids[row])->label);
        rows_[row] = ids[row];
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void QXUIExtLib::LoadCheckBoxes(HWND list, IPropertyStore* fx) {
    for (uint32_t id = 1; id < kSlots; ++id) {
        bool on = false;
        enabled_[id] = ReadFlag(fx, FindEffect(id)->enableKey, on) && on;
    }
    // Checking a row makes the list report it, and the exclusions may uncheck earlier
    // rows; the enabled table follows through EffectList_ItemChanged.
    for (size_t row = 0; row < kSlots; ++row)
        if (rows_[row] != EffectNone && enabled_[rows_[row]]) SetStateImage(list, int(row), kChecked);
}

HRESULT QXUIExtLib::EffectList_GetStatusString(HWND hListControl, IUnknown* pFxPropertiesUnk, USHORT* pwstrStatus,
                                               ULONG cStringSize, BYTE* pbSettingsButtonAvailable) {
    if (pbSettingsButtonAvailable) *pbSettingsButtonAvailable = 0;
    if (!hListControl || !pFxPropertiesUnk || !pwstrStatus) return E_POINTER;
    if (cStringSize == 0) return E_INVALIDARG;
    const int mark = int(SendMessageW(hListControl, LVM_GETSELECTIONMARK, 0, 0));
    if (mark < 0 || size_t(mark) >= kSlots) return E_UNEXPECTED;
    const EffectInfo* effect = FindEffect(rows_[mark]);
    if (!effect) return E_NOTIMPL;

    // The store, not the enabled table, says whether the effect is on.
    bool on = false;
    ReadFlag(QueryStore(pFxPropertiesUnk).Get(), effect->enableKey, on);
    HRESULT hr = FormatText(reinterpret_cast<wchar_t*>(pwstrStatus), cStringSize, StatusFormat(*effect).c_str(),
                            on ? "Enabled" : "Disabled");
    if (hr == status::kInsufficientBuffer) hr = S_OK;  // a cut text is still a status text
    if (FAILED(hr)) return hr;
    if (pbSettingsButtonAvailable && effect->dialogTemplate != 0) *pbSettingsButtonAvailable = 1;
    return S_OK;
}

HRESULT QXUIExtLib::EffectList_SetState(IUnknown* pPropertiesUnk) {
    if (!pPropertiesUnk) return E_POINTER;
    ComPtr<IPropertyStore> store;
    HRESULT hr = pPropertiesUnk->QueryInterface(IID_IPropertyStore, store.PutVoid());
    if (FAILED(hr)) return hr;
    hr = S_OK;
    for (EffectId id : rows_)
        if (const EffectInfo* effect = FindEffect(id)) hr = WriteFlag(store.Get(), effect->enableKey, enabled_[id] != 0);
    return hr;
}

void QXUIExtLib::RegisterRefreshMessage() {
    if (!refreshMessage_) refreshMessage_ = RegisterWindowMessageW(controlpanel::kRefreshMessageName);
}

HRESULT QXUIExtLib::EffectList_SettingsDialog(HWND hListControl, IUnknown* pFxPropertiesUnk) {
    if (!hListControl || !pFxPropertiesUnk) return E_POINTER;
    const UINT mark = UINT(SendMessageW(hListControl, LVM_GETSELECTIONMARK, 0, 0));
    if (mark >= kSlots) return E_UNEXPECTED;
    RegisterRefreshMessage();

    const EffectInfo* effect = FindEffect(rows_[mark]);
    if (!effect || effect->dialogTemplate == 0) return S_OK;
    if (effect->dialogTemplate == kDolbyPanelDialog) {
        controlpanel::OpenDolbyPanel();
        return S_OK;
    }
    const controlpanel::DialogFactory create = controlpanel::FindDialogFactory(effect->id);
    if (!create) return S_OK;
    controlpanel::DialogContext context;
    context.templateId = effect->dialogTemplate;
    context.store = QueryStore(pFxPropertiesUnk);  // a dialog without a store still opens
    context.openDialog = &openDialog_;
    context.speakerMask = speakerMask_;
    std::unique_ptr<controlpanel::EffectDialog> dialog = create(context);
    if (!dialog) return S_OK;
    dialog->RunModal(GetActiveWindow());
    openDialog_ = nullptr;
    return S_OK;
}

HRESULT QXUIExtLib::EffectList_ItemChanged(HWND hListControl, LONG_PTR pNMListView, BYTE* pbNotifyParent) {
    if (pbNotifyParent) *pbNotifyParent = 0;
    if (!hListControl || !pNMListView) return E_POINTER;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(pNMListView);
    if (change->hdr.code != UINT(LVN_ITEMCHANGED) || !(change->uChanged & LVIF_STATE)) return S_FALSE;
    const EffectId id = RowEffect(change->iItem);
    if (id == EffectNone) return S_FALSE;

    const UINT image = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (image == kUnchecked) {
        enabled_[id] = 0;
    } else if (image == kChecked) {
        enabled_[id] = 1;
        // Unchecking makes the list report each of these rows; the host passes those
        // reports back here, which clears their ids.
        const controlpanel::Exclusion& excluded = controlpanel::kExclusions[id];
        for (size_t row = 0; row < kSlots; ++row)
            if (std::find(excluded.effects, excluded.effects + excluded.count, rows_[row]) !=
                excluded.effects + excluded.count)
                SetStateImage(hListControl, int(row), kUnchecked);
    } else {
        return S_FALSE;
    }
    if (!initialising_ && pbNotifyParent) *pbNotifyParent = 1;
    return S_OK;
}

HRESULT QXUIExtLib::EffectList_PropertyValueChanged(HWND hListControl, IUnknown* pFxPropertiesUnk, PROPERTYKEY key) {
    if (!hListControl || !pFxPropertiesUnk) return E_POINTER;
    ComPtr<IPropertyStore> store;
    HRESULT hr = pFxPropertiesUnk->QueryInterface(IID_IPropertyStore, store.PutVoid());
    if (FAILED(hr)) return hr;

    const KeyId changed = FromPropertyKey(key);
    if (IsEnableKey(changed)) {
        uint32_t value = 0;
        bool counted = false;
        hr = ReadUIntStatus(store.Get(), changed, value, counted);
        if (counted) {
            // The first row showing the key's effect; both Nuvex rows share one key.
            for (size_t row = 0; row < kSlots; ++row) {
                const EffectInfo* effect = FindEffect(rows_[row]);
                if (effect && effect->enableKey == changed) {
                    SetStateImage(hListControl, int(row), value ? kChecked : kUnchecked);
                    break;
                }
            }
        }
    }
    if (openDialog_ && refreshMessage_) PostMessageW(openDialog_, refreshMessage_, 0, 0);
    return hr;
}

}  // namespace qx
