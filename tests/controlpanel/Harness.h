#pragma once
// What the control-panel tests stand on: the effect components registered in-process
// under the class identifiers the effect list creates, a page dialog with a real
// list-view that passes its notifications to the effect-list object as the sound control
// panel does, a script player that drives a modal dialog from a thread timer, and the
// readers and gestures the dialog tests share.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "controlpanel/QXUIExtLib.h"
#include "host/EndpointRegistry.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

namespace qx::test {

using host::EndpointSetup;
using Steps = std::vector<std::function<void(HWND)>>;
using Labels = std::vector<std::wstring>;

// The page of TestTemplates.rc and its list-view.
constexpr int kPageTemplate = 900, kPageList = 901;

inline GUID ToGuid(const wchar_t* text) {
    GUID g{};
    EXPECT_EQ(S_OK, CLSIDFromString(text, &g)) << "bad identifier in the test";
    return g;
}
// A key from its format identifier as the contract writes it.
inline settings::KeyId Key(const wchar_t* fmtid, uint32_t pid) {
    return settings::FromPropertyKey(PROPERTYKEY{ToGuid(fmtid), pid});
}

// Registers the component class of every effect except the listed EffectIds (a class
// that also serves another effect is left out whole).
class Components {
public:
    explicit Components(const std::vector<int>& missing = {}) {
        // The component class and creation interface that make each effect available.
        static const struct {
            const wchar_t* clsid;
            const wchar_t* iid;
            std::vector<int> effects;
        } kClasses[] = {
            {L"{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}", L"{4BE71351-495E-472C-9120-0F3C19899292}", {1}},
            {L"{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}", L"{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}", {16}},
            {L"{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}", L"{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}", {2}},
            {L"{37A6AA01-A5D2-4955-A678-89D76B1B8697}", L"{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}", {3}},
            {L"{B6A6B665-9A9D-48C1-B5FB-0C304BB7AEC9}", L"{D2FE8EA6-21AF-4504-BEB3-33F948096AE7}", {4}},
            {L"{F5311147-D9A9-4750-9F1C-B708BD0689B1}", L"{720E3044-EE69-46D1-A1D7-FF46C6AC9176}", {5}},
            {L"{A59C7ABD-C71D-49E2-AEF5-1232C4141B26}", L"{BA79F822-CFA5-4966-B25E-32162DD4DC7C}", {6}},
            {L"{F446A679-4FAE-4381-9E33-31FE4ADBC632}", L"{D67AD945-D47F-4187-AC9A-B007D63AA645}", {7}},
            {L"{9B16B630-9215-4BDA-81A9-8F8F87370545}", L"{20F26CAC-98E9-42DC-B91D-CDC359B74702}", {8}},
            {L"{CCF7561E-9337-4DF4-8E69-1A65EE4234C1}", L"{CACD8173-5241-4CB7-8FDD-C0EA9F2B849A}", {9}},
            {L"{A95F8854-F18F-4150-9FC5-D0D83A3DA55E}", L"{43348B49-71EC-4C4F-B2AB-89D9D0C7F682}", {12}},
            {L"{80E1C92D-E30A-4A98-BF80-98752A7744FD}", L"{D4FD14B2-6E4E-4265-829C-C2B944958903}", {10, 11}},
            {L"{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}", L"{77EFACE7-E768-45F3-834D-2986EC878B95}", {17}},
            {L"{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}", L"{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}", {19}},
            {L"{4B8D75E2-712F-4263-9E68-5965313DDF09}", L"{874B6143-853B-47AB-8618-263A8F285F8C}", {18}},
            {L"{4DE3EA62-07BA-4EE5-845A-0994F4E3E481}", L"{335675DC-35B7-4F63-A12F-488762DB2593}", {20, 21}},
            {L"{29C23824-0A78-41D7-822B-E07AEC90B8F9}", L"{26AB0E01-BFB6-470B-BADE-C1BF64638178}", {23}},
            {L"{53C240C7-8E89-4F1B-9004-D1980C4705BF}", L"{0DB487B1-7058-4CA0-B14E-E9B32FAFA639}", {22, 24, 25}},
            {L"{45BB743B-4FD2-4B4A-AE9A-E09E8C298CFB}", L"{CFDEA0A4-D558-4191-99B1-B93DCDBF3CDE}", {26}},
            {L"{BC8E3B67-3306-4EEF-B230-6798E9A67F0B}", L"{00000000-0000-0000-C000-000000000046}", {27}},
            {L"{C6606CA5-2108-4CAF-8E52-1953F2DBF716}", L"{CF743829-4C33-457D-82CB-A00DE3308CD5}", {28}},
        };
        for (const auto& c : kClasses)
            if (std::none_of(c.effects.begin(), c.effects.end(), [&](int e) { return std::count(missing.begin(), missing.end(), e); }))
                registrations.push_back(std::make_unique<ComponentRegistration>(log, ToGuid(c.clsid), ToGuid(c.iid), L"component"));
    }
    CallLog log;
    std::vector<std::unique_ptr<ComponentRegistration>> registrations;
};

// Runs `runModal`, which opens a modal dialog titled `title`, and plays one step per
// timer tick with the dialog's handle once it is shown, then ends the dialog with its OK
// button. The test fails when the dialog never opens or ends before its last step ran; a
// dialog under another title is ended after a while, so that the test fails, not hangs. A
// tick still queued after the end finds no dialog of that title and does nothing.
inline void PlayDialogScript(const wchar_t* title, Steps steps, const std::function<void()>& runModal) {
    static struct Script {
        const wchar_t* title;
        Steps steps;
        size_t next;
        int idleTicks;
    } script;
    script = {title, std::move(steps), 0, 0};
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND dialog = FindWindowW(nullptr, script.title);
        if (!dialog || !IsWindowVisible(dialog)) {
            if (++script.idleTicks == 2000)
                EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM) { return PostMessageW(w, WM_COMMAND, IDOK, 0); }, 0);
            return;
        }
        if (script.next < script.steps.size()) {
            // A step may run a nested modal loop, so it is taken off the list before it runs.
            const auto step = script.steps[script.next++];
            step(dialog);
        } else {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    });
    runModal();
    KillTimer(nullptr, timer);
    EXPECT_EQ(script.steps.size(), script.next) << "no dialog titled " << testing::PrintToString(std::wstring(title))
                                                << " opened, or it ended before its steps ran";
}

// One effect-list object on its page, with its own endpoints and components.
class Panel {
public:
    explicit Panel(IUnknown* store) : fx(store) {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        EXPECT_EQ(S_OK, ComObjectRoot::Create<QXUIExtLib>(nullptr, __uuidof(IQXUIExtLib), object.PutVoid()));
        window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPageTemplate), nullptr, &Proc, LPARAM(this));
        list = GetDlgItem(window, kPageList);
    }
    ~Panel() { DestroyWindow(window); }

    // Lists the effects of endpoint `id`, added like `setup` unless told not to.
    HRESULT Show(const EndpointSetup& setup, const wchar_t* id = L"endpoint", bool add = true) {
        if (add) endpoints.Add(id, setup);
        return object->EffectList_Initialize(list, const_cast<LPWSTR>(id), fx.Get());
    }
    // Selects `row`, opens its dialog (it must open under `title`) and plays `steps` in it.
    HRESULT Open(const wchar_t* row, const wchar_t* title, Steps steps) {
        Select(Row(row));
        HRESULT result = E_FAIL;
        PlayDialogScript(title, std::move(steps), [&] { result = object->EffectList_SettingsDialog(list, fx.Get()); });
        return result;
    }

    Labels Rows() const {
        Labels rows(size_t(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
        for (size_t i = 0; i < rows.size(); ++i) {
            wchar_t text[128] = {};
            LVITEMW item{0, 0, 0, 0, 0, text, 128};
            SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&item));
            rows[i] = text;
        }
        return rows;
    }
    Labels CheckedRows() const {
        Labels checked = Rows();
        checked.erase(std::remove_if(checked.begin(), checked.end(), [&](auto& row) { return !IsChecked(row); }), checked.end());
        return checked;
    }
    int Row(const std::wstring& label) const {  // -1 when not listed
        const Labels rows = Rows();
        const auto at = std::find(rows.begin(), rows.end(), label);
        return at == rows.end() ? -1 : int(at - rows.begin());
    }
    bool IsChecked(const std::wstring& label) const {
        return (SendMessageW(list, LVM_GETITEMSTATE, WPARAM(Row(label)), LVIS_STATEIMAGEMASK) >> 12) == 2;
    }
    // Sets a row's check box as a click would; the list reports it to the page.
    void SetChecked(const std::wstring& label, bool on) {
        LVITEMW item{0, 0, 0, INDEXTOSTATEIMAGEMASK(on ? 2u : 1u), LVIS_STATEIMAGEMASK};
        SendMessageW(list, LVM_SETITEMSTATE, WPARAM(Row(label)), LPARAM(&item));
    }
    void Select(int row) { SendMessageW(list, LVM_SETSELECTIONMARK, 0, row); }

    HWND window = nullptr, list = nullptr;
    bool dirty = false;  // set whenever the object asks the page to mark unapplied changes
    host::EndpointRegistry endpoints;
    std::unique_ptr<Components> components = std::make_unique<Components>();
    ComPtr<IUnknown> fx;
    ComPtr<IQXUIExtLib> object;

private:
    // Passes the list's item changes to the object, as the control panel's page does.
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* panel = reinterpret_cast<Panel*>(GetWindowLongPtrW(window, DWLP_USER));
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (message != WM_NOTIFY || header->idFrom != UINT_PTR(kPageList) || header->code != UINT(LVN_ITEMCHANGED)) return FALSE;
        BYTE notify = 0;
        panel->object->EffectList_ItemChanged(header->hwndFrom, LONG_PTR(lParam), &notify);
        panel->dirty = panel->dirty || notify;
        return TRUE;
    }
};

// Reading a dialog, and what a user does.
inline int Pos(HWND dialog, int id) { return int(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0)); }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}
// WM_HSCROLL or WM_VSCROLL with a scroll code and position, from trackbar `id`.
inline void Scroll(HWND dialog, UINT message, int id, int code, int pos) {
    SendMessageW(dialog, message, MAKEWPARAM(code, WORD(pos)), LPARAM(GetDlgItem(dialog, id)));
}
inline void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
// Types over the whole text of a field, one character at a time.
inline void Type(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    for (const wchar_t* c = text; *c; ++c) SendDlgItemMessageW(dialog, id, WM_CHAR, *c, 1);
}
// The refresh message, sent: the dialog reloads at once.
inline void Reload(HWND dialog) { SendMessageW(dialog, RegisterWindowMessageW(L"CQXEffectPropPage Refresh Dialog Boxes"), 0, 0); }
// Esc on the focused control, then the caption's close box.
inline void PressEscAndClose(HWND dialog) {
    PostMessageW(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// Reading the store: 0xDEAD when it holds no VT_UI4.
inline uint32_t Stored(IPropertyStore* store, const settings::KeyId& key) {
    uint32_t v = 0xDEAD;
    return GetUInt(store, key, v) ? v : 0xDEAD;
}
inline DWORD StoredCount(IPropertyStore* store) {
    DWORD n = 0;
    return SUCCEEDED(store->GetCount(&n)) ? n : 0xDEAD;
}

}  // namespace qx::test
