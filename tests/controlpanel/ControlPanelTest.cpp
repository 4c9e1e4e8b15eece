// The control-panel side. What the tests stand on: the effect components registered
// in-process under the class identifiers the effect list creates, a page dialog with a
// real list-view that passes its notifications to the effect-list object as the sound
// control panel does (its endpoints served by the in-process device enumerator), a script
// player that drives a modal dialog from a thread timer, and the readers and gestures the
// dialog tests share. Then the effect list object, whose row labels, orders, counts and
// exclusions are written here from the list's contract; and every settings dialog walked
// from one table of what each must do: opened from its effect-list row, its controls laid
// out, in range and at their start state, each control writing and showing its own key,
// modes enabling their controls, Reset, Esc and the close box, and the dialog without a
// store. The tables are written here from the contract, apart from the module's own
// tables, so a slip on either side shows. The frame as the list drives it and the
// 15-band equaliser's frequency fields follow.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>

#include "controlpanel/DolbyPanel.h"
#include "controlpanel/QXUIExtLib.h"
#include "controlpanel/templates/Equalizer15Ids.h"
#include "host/EndpointRegistry.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;
using host::EndpointSetup;
using host::NewEndpoint;
using host::NewEndpointStoreFor;

namespace {
using Steps = std::vector<std::function<void(HWND)>>;
using Labels = std::vector<std::wstring>;

// The page of TestTemplates.rc and its list-view.
constexpr int kPageTemplate = 900, kPageList = 901;

// A key from its format identifier as the contract writes it.
settings::KeyId Key(const wchar_t* fmtid, uint32_t pid) {
    return settings::FromPropertyKey(PROPERTYKEY{ContractGuid(fmtid), pid});
}

// Registers the component class of every effect except the listed EffectIds (a class
// that also serves another effect is left out whole).
class Components {
public:
    explicit Components(const std::vector<int>& missing = {}) {
        for (const ContractComponent& c : kContractComponents)
            if (std::none_of(std::begin(c.effects), std::end(c.effects), [&](int e) { return std::count(missing.begin(), missing.end(), e); }))
                registrations.push_back(std::make_unique<ComponentRegistration>(log, ContractGuid(c.clsid), ContractGuid(c.iid), c.name));
    }
    CallLog log;
    std::vector<std::unique_ptr<ComponentRegistration>> registrations;
};

// One effect-list object on its page, with its own endpoints and components.
class Panel {
public:
    explicit Panel(IUnknown* store) : fx(store) {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        EXPECT_EQ(S_OK, ComObjectRoot::Create<qx::QXUIExtLib>(nullptr, __uuidof(IQXUIExtLib), object.PutVoid()));
        window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPageTemplate), nullptr, &Proc, LPARAM(this));
        list = GetDlgItem(window, kPageList);
    }
    ~Panel() { DestroyWindow(window); }

    // Lists the effects of endpoint `id`, added like `setup` unless told not to.
    HRESULT Show(const EndpointSetup& setup, const wchar_t* id = L"endpoint", bool add = true) {
        if (add) endpoints.Add(id, setup);
        return object->EffectList_Initialize(list, const_cast<LPWSTR>(id), fx.Get());
    }
    // Selects `row` and opens its dialog, which must open under `title`, playing one step
    // per timer tick with the dialog's handle once it is shown, then ending the dialog with
    // its OK button. The test fails when the dialog never opens or ends before its last
    // step ran; a dialog under another title is ended after a while, so that the test
    // fails, not hangs. A tick still queued after the end finds no dialog of that title and
    // does nothing.
    HRESULT Open(const wchar_t* row, const wchar_t* title, Steps steps) {
        Select(Row(row));
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
        const HRESULT result = object->EffectList_SettingsDialog(list, fx.Get());
        KillTimer(nullptr, timer);
        EXPECT_EQ(script.steps.size(), script.next) << "no dialog titled " << testing::PrintToString(std::wstring(title))
                                                    << " opened, or it ended before its steps ran";
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
int Pos(HWND dialog, int id) { return int(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0)); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}
// WM_HSCROLL or WM_VSCROLL with a scroll code and position, from trackbar `id`.
void Scroll(HWND dialog, UINT message, int id, int code, int pos) {
    SendMessageW(dialog, message, MAKEWPARAM(code, WORD(pos)), LPARAM(GetDlgItem(dialog, id)));
}
void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
// Types over the whole text of a field, one character at a time.
void Type(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    for (const wchar_t* c = text; *c; ++c) SendDlgItemMessageW(dialog, id, WM_CHAR, *c, 1);
}
// The refresh message, sent: the dialog reloads at once.
void Reload(HWND dialog) { SendMessageW(dialog, RegisterWindowMessageW(L"CQXEffectPropPage Refresh Dialog Boxes"), 0, 0); }
// Esc on the focused control, then the caption's close box.
void PressEscAndClose(HWND dialog) {
    PostMessageW(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// Reading the store: 0xDEAD when it holds no VT_UI4.
uint32_t Stored(IPropertyStore* store, const settings::KeyId& key) {
    uint32_t v = 0xDEAD;
    return GetUInt(store, key, v) ? v : 0xDEAD;
}
DWORD StoredCount(IPropertyStore* store) {
    DWORD n = 0;
    return SUCCEEDED(store->GetCount(&n)) ? n : 0xDEAD;
}

// ---- the effect list ----
constexpr uint32_t kSpeakers = 1, kHeadphones = 3, kMicrophone = 4, kSpdif = 8, kHdmi = 9;

// The row label of each EffectId, and the EffectIds that checking it unchecks.
const wchar_t* const kLabels[29] = {
    L"", L"Equalizer", L"Environment", L"Flex Bass", L"Speaker Shifter", L"Smart Volume", L"Dolby Surround",
    L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"DTS Surround Sensation", L"Nuvex Surround", L"Nuvex Surround Headphone",
    L"DTS Voice Clarity", L"Nuvex Surround Max", L"Swap Center and Subwoofer", L"Swap Side and Rear",
    L"15-Band Equalizer", L"Vocal Fading", L"Key Shifting", L"Vocal Remover", L"Echo", L"Magic Voice",
    L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Dolby PCEEv4", L"Zur AEC"};
const std::vector<int> kExcludes[29] = {
    {}, {16}, {}, {}, {}, {}, {9, 10, 11}, {8, 13}, {7, 13}, {6, 10, 11}, {6, 9}, {6, 9}, {}, {7, 8}, {}, {}, {1},
    {19}, {}, {17}, {21}, {20}, {23, 24, 25, 28}, {22, 24, 25, 28}, {22, 23, 28}, {22, 23, 28}, {},
    {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16}, {22, 23, 24, 25}};
int IdOf(const std::wstring& label) { return int(std::find(kLabels, kLabels + 29, label) - kLabels); }

Labels Join(Labels a, const Labels& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Labels kCommon = {L"Dolby PCEEv4", L"Equalizer", L"15-Band Equalizer", L"Environment", L"Speaker Shifter",
                        L"Smart Volume", L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity"};
const Labels kMatrix = {L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"Nuvex Surround Max"};

class EffectList : public testing::Test {
protected:
    UINT32 Count(IUnknown* device) {
        ULONG n = 12345;
        EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(device, &n));
        return n;
    }
    HRESULT Status(int row, UINT32 size, std::wstring& text, BYTE* button = nullptr) {
        std::vector<USHORT> buffer(size, 0xFFFF);
        panel.Select(row);
        const HRESULT hr = panel.object->EffectList_GetStatusString(panel.list, fx.Get(), buffer.data(), size, button);
        text.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
        return hr;
    }
    HRESULT Changed(IUnknown* store, const KeyId& key) {
        return panel.object->EffectList_PropertyValueChanged(panel.list, store, ToPropertyKey(key));
    }

    ComPtr<IPropertyStore> fx = NewMemoryStore();
    Panel panel{fx.Get()};
};

// ---- the settings dialogs ----
// The format identifiers of the keys the dialogs edit.
constexpr const wchar_t* kEq = L"{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}";
constexpr const wchar_t* kEnv = L"{686AD5B3-9A96-4723-87BC-EBCD95B407DE}";
constexpr const wchar_t* kFlex = L"{5860EE50-9705-436A-96DB-BB18A130E08B}";
constexpr const wchar_t* kShift = L"{F9736E6B-5342-4690-82B7-95E78DF992A0}";
constexpr const wchar_t* kMax = L"{31AF2432-4E37-47C5-9785-9D9529E07129}";
constexpr const wchar_t* kNuvex = L"{C020CDBF-756F-4B6D-9031-BE6E20CF1C9F}";
constexpr const wchar_t* kVoice = L"{64805010-C7E7-4408-9BE0-658ED5DD0ED2}";
constexpr const wchar_t* kMic = L"{3BC6329A-2397-4FF3-92F5-2CD9894BB889}";
constexpr const wchar_t* kDts = L"{3BDB362E-2722-4CF3-BF07-5F44BF350FC9}";
constexpr const wchar_t* kNeo = L"{D77F6FDC-386F-44B5-9278-70B636002B3D}";
constexpr const wchar_t* kDolby = L"{D65010BE-653B-4606-B910-CDD7846478D1}";
constexpr const wchar_t* kPl2 = L"{9894DBA1-62C6-436B-B1CE-6EDBAFA69BBF}";

// Endpoints whose effect lists hold the rows the dialogs belong to.
constexpr EndpointSetup kStereoSpeakers{1, 3, 0}, kSurroundSpeakers{1, 0x3F, 0}, kSevenOne{1, 0x63F, 0};
constexpr EndpointSetup kHeadphonesEndpoint{3, 3, 0}, kMicrophoneEndpoint{4, 3, 0};

enum Kind { kTrackbar, kRadio, kCheckBox, kList };
// kMissingShowsLow: a store without the key shows the low end, not the start position.
// kHalfSteps: a trackbar storing a float of half its position; kKeptByReset: a trackbar
// that Reset leaves where it is.
enum Flags {
    kStartChecked = 1, kVerticalNegated = 2, kArrowKeysStore = 4, kMissingShowsLow = 8, kHalfSteps = 16, kKeptByReset = 32
};
struct Control {
    int id;
    Kind kind;
    const wchar_t* fmtid;
    uint32_t pid;
    // A trackbar's or list's range and start; a radio button's value in lo; the value a
    // check box stores when checked in hi.
    int lo, hi, start, flags;
    int field = -1;  // in a filter-record blob, the byte offset of the control's word
};
Control T(int id, const wchar_t* f, uint32_t pid, int lo, int hi, int start, int flags = 0) {
    return {id, kTrackbar, f, pid, lo, hi, start, flags};
}
Control R(int id, const wchar_t* f, uint32_t pid, int value, int flags = 0) { return {id, kRadio, f, pid, value, value, 0, flags}; }
Control C(int id, const wchar_t* f, uint32_t pid, int on = 1) { return {id, kCheckBox, f, pid, 0, on, 0, 0}; }
Control L(int id, const wchar_t* f, uint32_t pid, int count) { return {id, kList, f, pid, 0, count - 1, 0, 0}; }

// Checking `radio` enables `on` and disables `off`.
struct Mode {
    int radio;
    std::vector<int> on, off;
};
// A stored value (kWrongType: one of another type) and what the reload shows on one
// control: a trackbar's position, a list's selection, or whether a button is checked; and
// for some the text of the value's label.
constexpr uint32_t kWrongType = 0xBAD0BAD0;
struct Load {
    const wchar_t* fmtid;
    uint32_t pid, value;
    int id, shows, labelId = 0;  // and a value label with the text it then shows
    const wchar_t* label = nullptr;
};
enum Reset { kNoReset, kReset };

struct Dialog {
    const wchar_t *row, *title;
    EndpointSetup endpoint;
    Reset reset;
    std::vector<Control> controls;
    std::vector<Mode> modes;
    std::vector<Load> loads;
    const wchar_t* okText = L"OK";  // the button that ends the dialog
};

const std::vector<int> kNuvexSpeaker{236, 237, 235, 234}, kNuvexRoom{233, 232, 231};
const std::vector<int> kNeoMusic{247, 248, 250, 251, 249, 252}, kSensationSpeaker{258, 257, 259, 260};
const std::vector<int> kDolbyRoom{264, 265, 266}, kDolbyMode{267, 268}, kPl2Music{272, 270, 271, 275, 273, 274, 276};

Control At(int field, Control c) {
    c.field = field;
    return c;
}
// Phase and parallel mode; then per filter record (Bass, Treble, bands 1 to 15) its on
// box, its gain and, for bands, its Q.
std::vector<Control> Equalizer15Controls() {
    std::vector<Control> c{R(353, kEq, 15, 0, kStartChecked), R(354, kEq, 15, 1), R(355, kEq, 16, 0, kStartChecked), R(356, kEq, 16, 1)};
    for (int r = 0; r < 17; ++r) {
        const uint32_t pid = r < 2 ? 12 + r : 14;
        const int at = r < 2 ? 0 : 16 * (r - 2);
        c.push_back(At(at, C(332 + r, kEq, pid)));
        c.push_back(At(at + 8, T(300 + r, kEq, pid, -12, 12, 0)));
        if (r >= 2) c.push_back(At(at + 12, T(315 + r, kEq, pid, 1, 20, 1, kHalfSteps | kKeptByReset)));
    }
    return c;
}
std::vector<Control> EqualizerControls() {
    std::vector<Control> c;
    for (uint32_t i = 0; i < 10; ++i) c.push_back(T(202 + int(i), kEq, i + 1, -20, 20, 0, kVerticalNegated | kArrowKeysStore));
    return c;
}

const std::vector<Dialog>& Dialogs() {
    static const std::vector<Dialog> dialogs = {
        {L"15-Band Equalizer", L"15 Band Equalizer", kStereoSpeakers, kReset, Equalizer15Controls(), {},
         {{kEq, 15, 5, 354, 1}, {kEq, 16, kWrongType, 355, 1}, {kEq, 15, kWrongType, 354, 1}}},
        {L"Equalizer", L"Equalizer", kStereoSpeakers, kReset, EqualizerControls(), {},
         {{kEq, 1, 0xFFFFFFFB, 202, 5}, {kEq, 10, 20, 211, -20}, {kEq, 1, kWrongType, 202, 0}}, L"Close"},
        {L"Environment", L"Environment", kStereoSpeakers, kNoReset,
         {L(204, kEnv, 1, 28), R(205, kEnv, 2, 0, kStartChecked), R(206, kEnv, 2, 1), R(207, kEnv, 2, 2)}, {},
         {{kEnv, 2, 2, 207, 1}, {kEnv, 2, 3, 205, 1}, {kEnv, 2, kWrongType, 205, 1}, {kEnv, 1, 5, 204, 5}, {kEnv, 1, kWrongType, 204, 0}}},
        {L"Flex Bass", L"Flex Bass", kSevenOne, kNoReset,
         {T(210, kFlex, 1, 50, 250, 50), T(211, kFlex, 6, 0, 24, 0), C(212, kFlex, 2, 0x3), C(213, kFlex, 2, 0x4),
          C(214, kFlex, 2, 0x600), C(215, kFlex, 2, 0x30)}, {},
         {{kFlex, 2, 0x10, 215, 1}, {kFlex, 2, 0x10, 212, 0}, {kFlex, 2, kWrongType, 215, 1}, {kFlex, 2, 0x402, 214, 1},
          {kFlex, 2, 0x402, 212, 1}, {kFlex, 6, kWrongType, 211, 0}, {kFlex, 1, 80, 210, 80, 208, L"Bass Cut-off Frequency:  80Hz"},
          {kFlex, 6, 0, 211, 0, 209, L"Bass Level: -12dB"}, {kFlex, 6, 24, 211, 24, 209, L"Bass Level:  12dB"},
          {kFlex, 1, 300, 210, 250, 208, L"Bass Cut-off Frequency: 300Hz"}}},
        // Angle and distance trackbars row by row (left front, centre, right front, right side, right back, left
        // back, left side, then the subwoofer's distance); the ids follow neither the rows nor the keys.
        {L"Speaker Shifter", L"Virtual Speaker Shifter", kStereoSpeakers, kReset,
         {C(228, kMax, 0), T(213, kShift, 1, -180, 180, -45), T(215, kShift, 2, -180, 180, 0), T(214, kShift, 3, -180, 180, 45),
          T(217, kShift, 4, -180, 180, 90), T(216, kShift, 5, -180, 180, 135), T(219, kShift, 6, -180, 180, -135),
          T(218, kShift, 7, -180, 180, -90), T(220, kShift, 8, 19, 50, 30), T(222, kShift, 9, 19, 50, 30), T(221, kShift, 10, 19, 50, 30),
          T(224, kShift, 11, 19, 50, 30), T(223, kShift, 12, 19, 50, 30), T(226, kShift, 13, 19, 50, 30), T(225, kShift, 14, 19, 50, 30),
          T(227, kShift, 15, 19, 50, 30)}, {},
         {{kShift, 6, 0xFFFFFF79, 219, -135}, {kShift, 1, 200, 213, 180}, {kShift, 9, 19, 222, 19}, {kShift, 10, 50, 221, 50},
          {kShift, 1, kWrongType, 213, 180}, {kMax, 0, 7, 228, 1}}},
        {L"Nuvex Surround", L"Nuvex Surround", kStereoSpeakers, kNoReset,
         {R(230, kNuvex, 1, 0), R(229, kNuvex, 1, 1, kStartChecked), R(231, kNuvex, 2, 2), R(232, kNuvex, 2, 1, kStartChecked),
          R(233, kNuvex, 2, 0), T(235, kNuvex, 3, 0, 3, 3), T(236, kNuvex, 4, 0, 4, 3), C(238, kMax, 0)},
         {{229, kNuvexRoom, kNuvexSpeaker}, {230, kNuvexSpeaker, kNuvexRoom}},
         {{kNuvex, 1, 0, 230, 1}, {kNuvex, 2, 0, 232, 1}, {kNuvex, 1, kWrongType, 233, 1}, {kNuvex, 1, kWrongType, 230, 1},
          {kNuvex, 3, 7, 235, 3}, {kNuvex, 4, 4, 236, 4}, {kNuvex, 4, 5, 236, 4}}},
        {L"Nuvex Surround Headphone", L"Nuvex Surround Headphone", kHeadphonesEndpoint, kNoReset,
         {R(231, kNuvex, 2, 2, kStartChecked), R(232, kNuvex, 2, 1), R(233, kNuvex, 2, 0), C(238, kMax, 0)}, {},
         {{kNuvex, 2, 0, 233, 1}, {kNuvex, 2, 3, 233, 1}, {kNuvex, 1, 1, 233, 1}}},
        {L"Key Shifting", L"Key Shifting", kStereoSpeakers, kNoReset, {T(239, kVoice, 3, -4, 4, 0)}, {},
         {{kVoice, 3, 0xFFFFFFFE, 239, -2}, {kVoice, 3, kWrongType, 239, 0}}},
        {L"Vocal Fading", L"Vocal Fading", kStereoSpeakers, kNoReset, {T(240, kVoice, 1, 0, 100, 0)}, {},
         {{kVoice, 1, 60, 240, 60}, {kVoice, 1, kWrongType, 240, 0}}},
        {L"Echo", L"Microphone Echo", kMicrophoneEndpoint, kNoReset, {T(241, kMic, 1, -12, 12, 0)}, {},
         {{kMic, 1, 0xFFFFFFF4, 241, -12}, {kMic, 1, kWrongType, 241, 0}}},
        {L"Magic Voice", L"Magic Voice", kMicrophoneEndpoint, kNoReset,
         {R(242, kMic, 3, 0, kStartChecked), R(243, kMic, 3, 1), R(244, kMic, 3, 2), R(245, kMic, 3, 3)}, {},
         {{kMic, 3, 3, 245, 1}, {kMic, 3, 7, 242, 1}, {kMic, 3, kWrongType, 242, 1}}},
        {L"Vocal Remover", L"Vocal Remover", kStereoSpeakers, kReset,
         {T(277, kVoice, 5, -48, 48, 0), R(278, kVoice, 6, 0, kStartChecked), R(279, kVoice, 6, 1), R(280, kVoice, 6, 2), R(281, kVoice, 6, 3)},
         {},
         {{kVoice, 6, 2, 280, 1}, {kVoice, 6, 9, 278, 1}, {kVoice, 5, 0xFFFFFFD0, 277, -48}, {kVoice, 5, kWrongType, 277, 0}}},
        {L"DTS Voice Clarity", L"DTS Voice Clarity", kStereoSpeakers, kNoReset, {T(244, kDts, 7, 0, 10, 0)}, {},
         {{kDts, 7, 11, 244, 0}, {kDts, 7, 10, 244, 10}, {kDts, 7, 0x10004, 244, 10}, {kDts, 7, kWrongType, 244, 10}}},
        {L"DTS Neo:PC", L"DTS Neo:PC", kSurroundSpeakers, kNoReset,
         {R(245, kNeo, 3, 0, kStartChecked), R(246, kNeo, 3, 1), T(247, kNeo, 1, 0, 14, 7), T(251, kNeo, 2, 0, 10, 5)},
         {{245, {}, kNeoMusic}, {246, kNeoMusic, {}}},
         {{kNeo, 3, 3, 246, 1}, {kNeo, 3, kWrongType, 246, 1}, {kNeo, 1, 2, 247, 2}, {kNeo, 1, kWrongType, 247, 2}, {kNeo, 2, 40, 251, 10}}},
        {L"DTS Surround Sensation", L"DTS Surround Sensation", kStereoSpeakers, kNoReset,
         {R(253, kDts, 1, 1, kStartChecked), R(254, kDts, 1, 0), R(255, kDts, 8, 0, kStartChecked), R(256, kDts, 8, 1),
          T(258, kDts, 2, 0, 10, 0), T(259, kDts, 9, 0, 5, 2), C(261, kDts, 10)},
         {{253, {255, 256, 261}, kSensationSpeaker}, {254, kSensationSpeaker, {}}},
         {{kDts, 1, 0, 254, 1}, {kDts, 1, kWrongType, 253, 1}, {kDts, 9, 5, 259, 5}, {kDts, 9, 6, 259, 2}, {kDts, 2, 8, 258, 8},
          {kDts, 2, 11, 258, 8}, {kDts, 8, 2, 256, 1}, {kDts, 8, kWrongType, 255, 1}}},
        {L"Dolby Surround", L"Dolby Surround", kStereoSpeakers, kNoReset,
         {R(262, kDolby, 1, 1, kStartChecked), R(263, kDolby, 1, 0), R(264, kDolby, 2, 0, kStartChecked), R(265, kDolby, 2, 1),
          R(266, kDolby, 2, 2), R(267, kDolby, 3, 0, kStartChecked), R(268, kDolby, 3, 1)},
         {{262, kDolbyRoom, kDolbyMode}, {263, kDolbyMode, kDolbyRoom}},
         {{kDolby, 1, 0, 263, 1}, {kDolby, 3, 1, 268, 1}, {kDolby, 2, 5, 264, 1}, {kDolby, 3, 2, 268, 1}}},
        {L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", kSurroundSpeakers, kNoReset,
         {R(268, kPl2, 3, 0, kStartChecked), R(269, kPl2, 3, 1), T(272, kPl2, 1, 0, 14, 7), T(275, kPl2, 2, 0, 7, 3, kMissingShowsLow),
          C(276, kPl2, 4)},
         {{268, {}, kPl2Music}, {269, kPl2Music, {}}},
         {{kPl2, 1, 9, 272, 9}, {kPl2, 1, kWrongType, 272, 9}, {kPl2, 2, kWrongType, 275, 0}, {kPl2, 3, 2, 269, 1}}},
    };
    return dialogs;
}

// The value a control stores for a trackbar position (or a radio button's value).
uint32_t Encoded(const Control& c, int value) {
    const float half = value / 2.0f;
    uint32_t bits = uint32_t((c.flags & kVerticalNegated) ? -value : value);
    if (c.flags & kHalfSteps) std::memcpy(&bits, &half, 4);
    return bits;
}
// The stored value of a control: its VT_UI4 key, or its word of a filter-record blob.
uint32_t Value(IPropertyStore* store, const Control& c) {
    if (c.field < 0) return Stored(store, Key(c.fmtid, c.pid));
    const std::vector<uint8_t> blob = GetBlob(store, Key(c.fmtid, c.pid));
    uint32_t value = 0xDEAD;
    if (blob.size() >= size_t(c.field) + 4) std::memcpy(&value, blob.data() + c.field, 4);
    return value;
}
// Stores a control's value from elsewhere; a missing blob is made of zeros first.
void Put(IPropertyStore* store, const Control& c, uint32_t value) {
    if (c.field < 0) return PutUInt(store, Key(c.fmtid, c.pid), value);
    std::vector<uint8_t> blob = GetBlob(store, Key(c.fmtid, c.pid));
    blob.resize(c.pid == 14 ? 240 : 16);
    std::memcpy(blob.data() + c.field, &value, 4);
    PutBlob(store, Key(c.fmtid, c.pid), blob.data(), blob.size());
}
UINT ScrollMessage(const Control& c) { return (c.flags & kVerticalNegated) ? WM_VSCROLL : WM_HSCROLL; }
int Selected(HWND w, int id) { return int(SendDlgItemMessageW(w, id, LB_GETCURSEL, 0, 0)); }
bool Shows(HWND w, const Control& c, int value) {
    if (c.kind == kList) return Selected(w, c.id) == value;
    return c.kind == kTrackbar ? Pos(w, c.id) == value : Checked(w, c.id) == (value != 0);
}
void ExpectModes(HWND w, const Dialog& d) {
    for (const Mode& m : d.modes) {
        if (!Checked(w, m.radio)) continue;
        for (int id : m.on) EXPECT_TRUE(Enabled(w, id)) << "with " << m.radio << ", " << id;
        for (int id : m.off) EXPECT_FALSE(Enabled(w, id)) << "with " << m.radio << ", " << id;
    }
}

// Every control of the table shows its start: a trackbar in its range at its start
// position, a list with its entries, a button checked when it should be.
void ExpectStartState(HWND w, const Dialog& d, bool withStore) {
    EXPECT_EQ(d.okText, Text(w, IDOK));
    for (const Control& c : d.controls) {
        if (c.kind == kTrackbar) {
            EXPECT_EQ(c.lo, int(SendDlgItemMessageW(w, c.id, TBM_GETRANGEMIN, 0, 0))) << c.id;
            EXPECT_EQ(c.hi, int(SendDlgItemMessageW(w, c.id, TBM_GETRANGEMAX, 0, 0))) << c.id;
            EXPECT_EQ(withStore && (c.flags & kMissingShowsLow) ? c.lo : c.start, Pos(w, c.id)) << c.id;
        } else if (c.kind == kList) {
            EXPECT_EQ(c.hi + 1, int(SendDlgItemMessageW(w, c.id, LB_GETCOUNT, 0, 0)));
            EXPECT_EQ(withStore ? c.start : LB_ERR, Selected(w, c.id));  // no store: no entry
        } else {
            EXPECT_EQ((c.flags & kStartChecked) != 0, Checked(w, c.id)) << c.id;
        }
    }
    ExpectModes(w, d);
}

// Drags every trackbar to both ends, clicks every button, moves every list to both ends,
// and, given the store, checks what was stored; the other scroll codes write nothing, the
// arrow keys only where the dialog takes them. A control of an inactive mode is first
// enabled by its mode's button.
void UseEveryControl(HWND w, const Dialog& d, IPropertyStore* store) {
    for (const Control& c : d.controls) {
        for (const Mode& m : d.modes)
            if (!Enabled(w, c.id) && std::count(m.on.begin(), m.on.end(), c.id)) Click(w, m.radio);
        const auto expectStored = [&](uint32_t value) {
            EXPECT_TRUE(!store || value == Value(store, c)) << c.id << " storing " << value;
        };
        switch (c.kind) {
        case kTrackbar:
            Scroll(w, ScrollMessage(c), c.id, TB_THUMBTRACK, c.lo);
            expectStored(Encoded(c, c.lo));
            Scroll(w, ScrollMessage(c), c.id, TB_THUMBPOSITION, c.hi);
            expectStored(Encoded(c, c.hi));
            for (int code : {TB_PAGEUP, TB_PAGEDOWN, TB_TOP, TB_BOTTOM, TB_ENDTRACK}) Scroll(w, ScrollMessage(c), c.id, code, c.lo);
            SendDlgItemMessageW(w, c.id, TBM_SETPOS, TRUE, c.lo + 1);
            Scroll(w, ScrollMessage(c), c.id, TB_LINEDOWN, c.lo);
            expectStored(Encoded(c, (c.flags & kArrowKeysStore) ? c.lo + 1 : c.hi));
            break;
        case kRadio:
            Click(w, c.id);
            expectStored(uint32_t(c.lo));
            ExpectModes(w, d);
            break;
        case kCheckBox:  // checked, then unchecked
        case kList:      // the last entry, then the first
            for (const auto& [key, value] : {std::pair{VK_END, c.hi}, std::pair{VK_HOME, c.lo}}) {
                c.kind == kList ? void(SendDlgItemMessageW(w, c.id, WM_KEYDOWN, key, 0)) : Click(w, c.id);
                expectStored(uint32_t(value));
            }
            break;
        }
    }
}

// What a dialog opened with a store must do, step by step. It opens at its start state
// and writes nothing; Esc and the close box leave it open (the next step runs). Then every
// control writes its key, and each key written from elsewhere shows on its control at the
// next reload. A Reset (Esc and the close box) then stores every trackbar's start value
// and shows it.
Steps WalkWithAStore(const Dialog& d, IPropertyStore* store, Panel&) {
    const DWORD seeded = StoredCount(store);
    Steps steps = {[&d, store, seeded](HWND w) {
                       ExpectStartState(w, d, true);
                       EXPECT_EQ(seeded, StoredCount(store));
                       if (d.reset == kNoReset) PressEscAndClose(w);
                   },
                   [&d, store](HWND w) {
                       UseEveryControl(w, d, store);
                       for (const Control& c : d.controls)
                           for (int value : {c.lo, c.hi}) {
                               Put(store, c, Encoded(c, value));
                               Reload(w);
                               EXPECT_TRUE(c.kind == kRadio ? Checked(w, c.id) : Shows(w, c, value)) << c.id << " at " << value;
                               ExpectModes(w, d);
                           }
                       if (d.reset != kNoReset) PressEscAndClose(w);
                   }};
    if (d.reset != kNoReset)
        steps.push_back([&d, store](HWND w) {
            for (const Control& c : d.controls)
                if (c.kind == kTrackbar && !(c.flags & kKeptByReset)) {
                    EXPECT_EQ(Encoded(c, c.start), Value(store, c)) << c.id;
                    EXPECT_EQ(c.start, Pos(w, c.id)) << c.id;
                }
        });
    return steps;
}

// Stored values out of range or of another type follow the dialog's rules. Each is
// reported through the list, which has the open dialog reload before the next step.
Steps FollowTheLoadRules(const Dialog& d, IPropertyStore* store, Panel& panel) {
    Steps steps;
    for (const Load& l : d.loads) {
        steps.push_back([&l, store, &panel](HWND) {
            l.value == kWrongType ? PutBool(store, Key(l.fmtid, l.pid), true) : PutUInt(store, Key(l.fmtid, l.pid), l.value);
            EXPECT_EQ(S_OK, panel.object->EffectList_PropertyValueChanged(panel.list, store, ToPropertyKey(Key(l.fmtid, l.pid))));
        });
        steps.push_back([&d, &l](HWND w) {
            const auto c = std::find_if(d.controls.begin(), d.controls.end(), [&](auto& c) { return c.id == l.id; });
            ASSERT_NE(d.controls.end(), c) << l.id;
            EXPECT_TRUE(Shows(w, *c, l.shows)) << l.id << " after " << l.pid << " = " << l.value;
            EXPECT_TRUE(!l.label || Text(w, l.labelId) == l.label) << testing::PrintToString(Text(w, l.labelId));
            ExpectModes(w, d);
        });
    }
    return steps;
}
}  // namespace

TEST_F(EffectList, RowsAndCountFollowFormFactorMaskFormatAndComponents) {
    const Labels stereo = Join(kCommon, {L"Flex Bass", L"Nuvex Surround", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels phones = Join(kCommon, {L"Nuvex Surround Headphone", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels surround = Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Center and Subwoofer"}));
    const Labels digital = Join(kCommon, {L"DTS Surround Sensation", L"Nuvex Surround"});
    const struct {
        EndpointSetup setup;
        Labels rows;
        UINT32 count;
        std::vector<int> missing;
    } cases[] = {
        // Effects whose component cannot be created are left out.
        {{kSpeakers, 3, 0}, {L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment", L"Speaker Shifter", L"Smart Volume",
          L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity", L"Flex Bass", L"Dolby Surround",
          L"DTS Surround Sensation"}, 10, {1, 10, 22}},
        {{kMicrophone, 3, 0}, {L"Echo", L"Magic Voice", L"ENC", L"Mix Output", L"Zur AEC"}, 5, {1, 10, 22}},
        {{kSpeakers, 0x63F, 0}, {L"Nuvex Surround Max", L"Swap Side and Rear", L"Swap Center and Subwoofer"}, 3,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 17, 18, 19, 20, 22, 23, 26, 27, 28}},
        {{kSpeakers, 3, 0}, stereo, 12},
        {{kSpeakers, 0x3F, 0}, surround, 13},
        {{kSpeakers, 0x60F, 0}, surround, 13},
        {{kSpeakers, 0x63F, 0}, Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Side and Rear", L"Swap Center and Subwoofer"})), 14},
        {{kSpeakers, 0x33, 0}, Join(Join(kCommon, {L"Flex Bass"}), kMatrix), 12},
        {{kSpeakers, 0, 0}, stereo, 12},
        {{kHeadphones, 3, 0}, phones, 11},
        {{kHeadphones, 0x3F, 0}, Join(Join(kCommon, {L"Nuvex Surround Headphone"}), Join(kMatrix, {L"Swap Center and Subwoofer"})), 14},
        {{kHeadphones, 0, 0}, phones, 13},  // a missing mask: stereo rows, counted as another mask
        {{kSpdif, 3, 0}, digital, 10},
        {{kSpdif, 3, 0x92}, Join(kCommon, kMatrix), 11},
        {{kHdmi, 0x3F, 0x164}, Join(kCommon, kMatrix), 11},
        {{kMicrophone, 3, 0}, {L"Echo", L"Magic Voice", L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Zur AEC"}, 8},
        {{2, 3, 0}, {}, 0},
        {{0, 3, 0}, {}, 0},
    };
    SendMessageW(panel.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setup.formFactor << " mask " << c.setup.speakerMask << " tag " << c.setup.formatTag);
        panel.components.reset();  // a class registered twice keeps its first registration
        panel.components = std::make_unique<Components>(c.missing);
        EXPECT_EQ(S_OK, panel.Show(c.setup));
        EXPECT_EQ(c.rows, panel.Rows());
        EXPECT_EQ(c.count, Count(panel.endpoints.Add(L"counted", c.setup).Get()));
    }
    // Exactly check boxes and one left-aligned "Full Name" column, 250 wide.
    EXPECT_EQ(DWORD(LVS_EX_CHECKBOXES), DWORD(SendMessageW(panel.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    wchar_t text[32] = {};
    LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, 0, 0, text, 32};
    ASSERT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));
    EXPECT_STREQ(L"Full Name", text);
    EXPECT_EQ(250, column.cx);
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
}

TEST_F(EffectList, InitializeAndCountReportWhatFailedOnTheDevice) {
    EXPECT_EQ(E_POINTER, panel.object->EffectList_Initialize(nullptr, const_cast<LPWSTR>(L"x"), fx.Get()));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), panel.Show({kSpeakers, 3, 0}, L"nowhere", false));
    LVCOLUMNW column{LVCF_WIDTH};
    EXPECT_FALSE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));  // no column
    panel.endpoints.FailGetDevice(E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, panel.Show({kSpeakers, 3, 0}));
    panel.endpoints.FailGetDevice(S_OK);
    // A store that cannot be opened: the column but no rows, and nothing to count.
    ComPtr<IMMDevice> closed = NewEndpoint(L"closed", NewEndpointStoreFor({kSpeakers, 3, 0}).Get(), E_ACCESSDENIED);
    panel.endpoints.Add(closed.Get());
    EXPECT_EQ(E_ACCESSDENIED, panel.Show({}, L"closed", false));
    EXPECT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_EQ(0u, Count(closed.Get()));
    EXPECT_EQ(0u, Count(fx.Get()));  // not a device
    ULONG n = 7;
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(nullptr, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(closed.Get(), nullptr));
}

TEST_F(EffectList, CheckBoxesComeFromTheStoreAndApplyWritesEveryListedEnableKey) {
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    PutUInt(fx.Get(), key::EnvironmentEnable, 7);     // any non-zero value is on
    PutBool(fx.Get(), key::SmartVolumeEnable, true);  // a wrong type reads as off
    PutUInt(fx.Get(), key::NoiseReductionEnable, 1);  // not listed for loudspeakers
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Equalizer", L"Environment"}), panel.CheckedRows());
    // Both equalisers on: the later row wins; Dolby PCEE v4 unchecks Equalizer only when
    // checked after it. Building the list never marks unapplied changes.
    PutUInt(fx.Get(), key::Eq15Enable, 1);
    PutUInt(fx.Get(), key::DolbyPceeEnable, 1);
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment"}), panel.CheckedRows());
    EXPECT_FALSE(panel.dirty);
    const std::pair<KeyId, uint32_t> applied[] = {
        {key::DolbyPceeEnable, 1}, {key::EqualizerEnable, 0}, {key::Eq15Enable, 1}, {key::EnvironmentEnable, 1},
        {key::SmartVolumeEnable, 0}, {key::NoiseReductionEnable, 0xDEAD}, {key::ProLogicEnable, 0xDEAD}};
    ComPtr<IPropertyStore> written = NewMemoryStore();
    EXPECT_EQ(S_OK, panel.object->EffectList_SetState(written.Get()));
    for (const auto& [key, value] : applied) EXPECT_EQ(value, Stored(written.Get(), key)) << key.pid;
    // The result is that of the last write, and the last row is DTS Surround Sensation.
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SetState(nullptr));
    EXPECT_EQ(E_NOINTERFACE, panel.object->EffectList_SetState(NewEndpoint(L"x", nullptr).Get()));
    for (const auto& [failedKey, result] : {std::pair{key::SurroundSensationEnable, E_ACCESSDENIED}, std::pair{key::EqualizerEnable, S_OK}}) {
        ComPtr<FailingPropertyStore> failing(new FailingPropertyStore(E_ACCESSDENIED, NewMemoryStore().Get()));
        failing->Release();
        failing->FailKey(failedKey);
        EXPECT_EQ(result, panel.object->EffectList_SetState(failing.Get()));
    }
}

// Checking a row unchecks exactly the rows its effect excludes, and marks a change.
TEST_F(EffectList, CheckingARowUnchecksTheEffectsItExcludes) {
    for (const EndpointSetup& setup : {EndpointSetup{kSpeakers, 3, 0}, EndpointSetup{kSpeakers, 0x63F, 0},
                                       EndpointSetup{kHeadphones, 3, 0}, EndpointSetup{kMicrophone, 3, 0}}) {
        ASSERT_EQ(S_OK, panel.Show(setup));
        const Labels rows = panel.Rows();
        for (const std::wstring& last : rows)
            for (const std::wstring& other : rows) {
                if (other == last) continue;
                for (const std::wstring& row : rows) panel.SetChecked(row, false);
                panel.SetChecked(other, true);
                panel.dirty = false;
                panel.SetChecked(last, true);
                const bool unchecked = std::count(kExcludes[IdOf(last)].begin(), kExcludes[IdOf(last)].end(), IdOf(other)) != 0;
                EXPECT_NE(unchecked, panel.IsChecked(other)) << testing::PrintToString(last + L" after " + other);
                EXPECT_TRUE(panel.IsChecked(last) && panel.dirty);
            }
    }
}

TEST_F(EffectList, ItemChangedTakesOnlyCheckBoxChangesOfListedRows) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    const struct {
        UINT code;
        int row;
        UINT what, image;
        HRESULT result;
        BYTE notify;
    } cases[] = {{UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 2, S_OK, 1},        {UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 1, S_OK, 1},
                 {UINT(LVN_ITEMCHANGING), 1, LVIF_STATE, 2, S_FALSE, 0},     {UINT(LVN_ITEMCHANGED), 1, LVIF_TEXT, 2, S_FALSE, 0},
                 {UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 3, S_FALSE, 0},      {UINT(LVN_ITEMCHANGED), 14, LVIF_STATE, 2, S_FALSE, 0},
                 {UINT(LVN_ITEMCHANGED), 29, LVIF_STATE, 2, S_FALSE, 0},     {UINT(LVN_ITEMCHANGED), -1, LVIF_STATE, 2, S_FALSE, 0}};
    for (const auto& c : cases) {
        NMLISTVIEW change{{panel.list, 0, c.code}, c.row, 0, INDEXTOSTATEIMAGEMASK(c.image), 0, c.what};
        BYTE notify = 9;
        EXPECT_EQ(c.result, panel.object->EffectList_ItemChanged(panel.list, LONG_PTR(&change), &notify)) << c.row;
        EXPECT_EQ(c.notify, notify);
    }
    BYTE notify = 9;
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(panel.list, 0, &notify));
    EXPECT_EQ(0, notify);
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(nullptr, LONG_PTR(&notify), &notify));
}

TEST_F(EffectList, StatusTextIsReadAfreshAndCutToTheBuffer) {
    const struct {
        EndpointSetup setup;
        const wchar_t* row;
        UINT32 size;
        const wchar_t* text;
        BYTE button;
    } cases[] = {
        {{kSpeakers, 3, 0}, L"Equalizer", 256, L"Quellix Effect: Equalizer\n\nStatus: Enabled", 1},
        {{kSpeakers, 3, 0}, L"Dolby PCEEv4", 10, L"Quellix E", 1},  // row 0
        {{kSpeakers, 3, 0}, L"Smart Volume", 256, L"Quellix Effect: Smart Volume Normalizer\n\nStatus: Disabled", 0},
        {{kMicrophone, 3, 0}, L"Zur AEC", 256, L"Zurarur Effect: Acoustic Echo Cancellation\n\nStatus: Enabled", 0},
    };
    std::wstring text;
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, panel.Show(c.setup));
        PutUInt(fx.Get(), key::EqualizerEnable, 1);  // after the list was built
        PutUInt(fx.Get(), key::ZurAecEnable, 1);
        BYTE button = 9;
        EXPECT_EQ(S_OK, Status(panel.Row(c.row), c.size, text, &button));
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.button, button) << testing::PrintToString(std::wstring(c.row));
    }
    USHORT buffer[64];
    BYTE button = 9;
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(nullptr, fx.Get(), buffer, 64, &button));
    EXPECT_EQ(0, button);
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(panel.list, nullptr, buffer, 64, &button));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(panel.list, fx.Get(), nullptr, 64, &button));
    EXPECT_EQ(E_INVALIDARG, panel.object->EffectList_GetStatusString(panel.list, fx.Get(), buffer, 0, &button));
    LVITEMW extra{LVIF_TEXT, 8, 0, 0, 0, const_cast<LPWSTR>(L"Added by the page")};
    ASSERT_EQ(8, SendMessageW(panel.list, LVM_INSERTITEMW, 0, LPARAM(&extra)));
    EXPECT_EQ(E_UNEXPECTED, Status(-1, 64, text));
    EXPECT_EQ(E_NOTIMPL, Status(8, 64, text));  // the page's own row holds no effect
}

TEST_F(EffectList, PropertyValueChangedMovesTheRowLikeAClick) {
    ASSERT_EQ(S_OK, panel.Show({kHeadphones, 3, 0}));
    // Each change in turn, and the checked rows after it: the shared Nuvex key finds the
    // headphone row; values of another type (a flag of 2 here: kept as VT_BOOL), settings
    // keys and unlisted effects change nothing.
    const struct {
        KeyId key;
        uint32_t value;
        Labels checked;
    } changes[] = {
        {key::Eq15Enable, 1, {L"15-Band Equalizer"}},
        {key::EqualizerEnable, 1, {L"Equalizer"}},
        {key::NuvexEnable, 1, {L"Equalizer", L"Nuvex Surround Headphone"}},
        {key::NuvexEnable, 0, {L"Equalizer"}},
        {key::EqualizerEnable, 2, {L"Equalizer"}},
        {key::EqualizerBand(1), 0, {L"Equalizer"}},
        {key::AecEnable, 1, {L"Equalizer"}},
    };
    for (const auto& c : changes) {
        const bool moves = c.checked != panel.CheckedRows();
        panel.dirty = false;
        c.value == 2 ? PutBool(fx.Get(), c.key, false) : PutUInt(fx.Get(), c.key, c.value);
        EXPECT_EQ(S_OK, Changed(fx.Get(), c.key));
        EXPECT_EQ(c.checked, panel.CheckedRows()) << c.key.pid;
        EXPECT_EQ(moves, panel.dirty);  // the list reported it like a click
    }
    EXPECT_EQ(E_POINTER, panel.object->EffectList_PropertyValueChanged(nullptr, fx.Get(), ToPropertyKey(key::AecEnable)));
    EXPECT_EQ(E_POINTER, Changed(nullptr, key::AecEnable));
    EXPECT_EQ(E_NOINTERFACE, Changed(NewEndpoint(L"x", nullptr).Get(), key::AecEnable));
    ComPtr<FailingPropertyStore> failing(new FailingPropertyStore(E_ACCESSDENIED, fx.Get()));
    failing->Release();
    failing->FailKey(key::EqualizerEnable);
    EXPECT_EQ(E_ACCESSDENIED, Changed(failing.Get(), key::EqualizerEnable));
}

// A stand-in for the outside locator of the Dolby panel program: it logs the slots of the
// methods called (the second and the fourteenth after IUnknown's three) and reports no file.
class PanelLocator : public qx::UnknownObject<IQXDolbyPanelLocator> {
public:
    explicit PanelLocator(std::vector<int>& slots) : slots_(slots) {}
#define QX_UNUSED_SLOT(n) \
    HRESULT STDMETHODCALLTYPE Unused##n() override { return Called(n); }
    QX_UNUSED_SLOT(1) QX_UNUSED_SLOT(3) QX_UNUSED_SLOT(4) QX_UNUSED_SLOT(5) QX_UNUSED_SLOT(6) QX_UNUSED_SLOT(7)
    QX_UNUSED_SLOT(8) QX_UNUSED_SLOT(9) QX_UNUSED_SLOT(10) QX_UNUSED_SLOT(11) QX_UNUSED_SLOT(12) QX_UNUSED_SLOT(13)
#undef QX_UNUSED_SLOT
    HRESULT STDMETHODCALLTYPE Prepare() override { return Called(2); }
    HRESULT STDMETHODCALLTYPE GetLocatedPath(LPWSTR* path) override {
        *path = nullptr;
        return Called(14);
    }
    HRESULT Called(int slot) {
        slots_.push_back(slot);
        return S_OK;
    }
    std::vector<int>& slots_;
};

// Rows without a dialog return at once; the Dolby row asks the locator class, when there
// is one, to prepare and then for the file it found, and with no file starts nothing.
TEST_F(EffectList, SettingsOpensNothingForRowsWithoutADialog) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 0x63F, 0}));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(nullptr, fx.Get()));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(panel.list, nullptr));
    std::vector<int> slots;
    for (const wchar_t* row : {L"", L"Smart Volume", L"Swap Side and Rear", L"Nuvex Surround Max", L"Dolby PCEEv4"}) {
        panel.Select(panel.Row(row));
        EXPECT_EQ(*row ? S_OK : E_UNEXPECTED, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    }
    const qx::ClassRegistration locator(ContractGuid(L"{958342AF-451A-4443-9CFE-55679A2DD524}"),
                                        [&](REFIID riid, void** ppv) { return qx::QueryNewObject(new PanelLocator(slots), riid, ppv); });
    EXPECT_EQ(S_OK, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    EXPECT_EQ((std::vector<int>{2, 14}), slots);
}

// The Dolby row starts the panel program beside the file the locator found: everything
// after the last backslash becomes "pcee4e.exe"; no path or no folder starts nothing.
TEST(DolbyPanel, ProgramSitsBesideTheLocatedFile) {
    const struct {
        const wchar_t* located;
        const wchar_t* program;
    } rows[] = {
        {LR"(C:\Program Files\Sound\pcee4.dll)", LR"(C:\Program Files\Sound\pcee4e.exe)"},
        {LR"(D:\c)", LR"(D:\pcee4e.exe)"},
        {LR"(C:\)", LR"(C:\pcee4e.exe)"},
        {L"pcee4.dll", L""},
        {L"", L""},
        {nullptr, L""},
    };
    for (const auto& r : rows) EXPECT_EQ(std::wstring(r.program), qx::controlpanel::PanelProgramPath(r.located));
}

// Every dialog opened from its row on a page of its endpoint: twice with a fresh store,
// walked and then given its load rules as above, and given back when it ends (a record
// blob must read before the dialog changes one of its fields, so the store starts with
// them); then on a page without a store, where it opens at its start state and its
// controls and Esc write nothing and do no harm.
TEST(SettingsDialogs, OpenWriteReloadAndResetAsTheirRowsSay) {
    const ComPtr<IMMDevice> notAStore = host::NewEndpoint(L"not a store", nullptr);
    for (const Dialog& d : Dialogs()) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.title)));
        for (auto steps : {&WalkWithAStore, &FollowTheLoadRules}) {
            ComPtr<FailingPropertyStore> store(new FailingPropertyStore(E_FAIL, NewMemoryStore().Get()));  // counts references
            store->Release();
            for (const Control& c : d.controls)
                if (c.field >= 0) Put(store.Get(), c, 0);
            Panel panel(store.Get());  // one page, and one endpoint registry, at a time
            ASSERT_EQ(S_OK, panel.Show(d.endpoint));
            const LONG before = store->RefCount();
            EXPECT_EQ(S_OK, panel.Open(d.row, d.title, steps(d, store.Get(), panel)));
            EXPECT_EQ(before, store->RefCount());
        }
        Panel withoutStore(notAStore.Get());
        ASSERT_EQ(S_OK, withoutStore.Show(d.endpoint));
        withoutStore.Open(d.row, d.title, {[&](HWND w) {
            ExpectStartState(w, d, false);
            UseEveryControl(w, d, nullptr);
            PressEscAndClose(w);
        }, Reload});
    }
}

// The 15-band frequency fields commit on Enter, clamped to each field's range, and Enter
// through the message loop does not end the dialog.
TEST(Equalizer15Dialog, CommitsFrequenciesOnEnterClampedToTheirField) {
    ComPtr<IPropertyStore> store = NewMemoryStore();
    const int band = IDC_EQ15_BAND_FREQ_FIRST;
    const auto hz = [&](uint32_t pid, int record) { return GetBlob(store.Get(), Key(kEq, pid)).at(16 * record + 4); };
    const std::vector<uint8_t> zeros(240);
    for (const auto& [pid, size] : {std::pair{12u, 16}, std::pair{14u, 240}}) PutBlob(store.Get(), Key(kEq, pid), zeros.data(), size);
    Panel panel(store.Get());
    ASSERT_EQ(S_OK, panel.Show(kStereoSpeakers));
    panel.Open(L"15-Band Equalizer", L"15 Band Equalizer", {
        [&](HWND w) {
            for (const auto& [field, typed, shown] : {std::tuple{IDC_EQ15_BASS_FREQ, L"95", L"90"}, std::tuple{band + 2, L"5", L"150"}}) {
                Type(w, field, typed);
                SendDlgItemMessageW(w, field, WM_CHAR, L'\r', 1);  // want-return: a line break, not "OK"
                EXPECT_EQ(shown, Text(w, field));
            }
            EXPECT_EQ(90, hz(12, 0));
            EXPECT_EQ(150, hz(14, 2));
            SetFocus(GetDlgItem(w, band + 1));
            Type(w, band + 1, L"120");
            PostMessageW(GetDlgItem(w, band + 1), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        },
        [&](HWND) { EXPECT_EQ(120, hz(14, 1)); },
    });
}
