#include "tests/controlpanel/DialogHarness.h"

#include "controlpanel/QXUIExtLib.h"
#include "frame/ComObject.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/support/Stores.h"

namespace qx::test {

namespace {
constexpr wchar_t kEndpointId[] = L"speakers";
}

DialogHarness::DialogHarness(IUnknown* fx, uint32_t speakerMask) : DialogHarness(fx, EndpointSetup{1, speakerMask, 0}) {}

DialogHarness::DialogHarness(IUnknown* fx, const EndpointSetup& endpoint) : fx_(fx) {
    endpoints_.Add(kEndpointId, endpoint);
    ComObjectRoot::Create<QXUIExtLib>(nullptr, __uuidof(IQXUIExtLib), object_.PutVoid());
    page_ = std::make_unique<TestPage>(object_.Get());
    object_->EffectList_Initialize(page_->List(), const_cast<LPWSTR>(kEndpointId), fx_.Get());
}

DialogHarness::~DialogHarness() {
    page_.reset();
    object_.Reset();
}

HRESULT DialogHarness::Open(const wchar_t* label, const wchar_t* title, Steps steps) {
    page_->SetSelectionMark(page_->Row(label));
    HRESULT result = E_FAIL;
    PlayDialogScript(title, std::move(steps),
                     [&] { result = object_->EffectList_SettingsDialog(page_->List(), fx_.Get()); });
    return result;
}

HRESULT DialogHarness::OpenWithoutStore(const wchar_t* label, const wchar_t* title, Steps steps) {
    const ComPtr<IMMDevice> notAStore = NewEndpoint(L"not a store", nullptr);
    DialogHarness harness(notAStore.Get());
    return harness.Open(label, title, std::move(steps));
}

HRESULT DialogHarness::ReportChange(const settings::KeyId& key) {
    return object_->EffectList_PropertyValueChanged(page_->List(), fx_.Get(), settings::ToPropertyKey(key));
}

UINT RefreshMessage() { return RegisterWindowMessageW(L"CQXEffectPropPage Refresh Dialog Boxes"); }

int Pos(HWND dialog, int id) { return int(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0)); }
int RangeMin(HWND dialog, int id) { return int(SendDlgItemMessageW(dialog, id, TBM_GETRANGEMIN, 0, 0)); }
int RangeMax(HWND dialog, int id) { return int(SendDlgItemMessageW(dialog, id, TBM_GETRANGEMAX, 0, 0)); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

bool HasDialogUnits(HWND dialog, int id, int x, int y, int w, int h) {
    // The dialog maps a control's position and size one number at a time, as here.
    RECT expected{x, y, w, h};
    MapDialogRect(dialog, &expected);
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r.left == expected.left && r.top == expected.top && r.right - r.left == expected.right &&
           r.bottom - r.top == expected.bottom;
}

int ControlCount(HWND dialog) {
    int n = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++n;
    return n;
}

void Scroll(HWND dialog, UINT message, int id, int code, int pos) {
    SendMessageW(dialog, message, MAKEWPARAM(code, WORD(pos)), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressKey(HWND control, UINT vk) {
    SendMessageW(control, WM_KEYDOWN, vk, 0);
    SendMessageW(control, WM_KEYUP, vk, 0xC0000001);
}

void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

void Type(HWND edit, const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
}

void Reload(HWND dialog) { SendMessageW(dialog, RefreshMessage(), 0, 0); }

void PressEscAndClose(HWND dialog) {
    const HWND focus = GetFocus();
    PostMessageW(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

uint32_t Stored(IPropertyStore* store, const settings::KeyId& key) {
    uint32_t v = 0xDEAD;
    GetUInt(store, key, v);
    return v;
}

DWORD StoredCount(IPropertyStore* store) {
    DWORD n = 0;
    store->GetCount(&n);
    return n;
}

}  // namespace qx::test
