#include "tests/controlpanel/PageHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "controlpanel/EffectListTables.h"
#include "tests/controlpanel/TestTemplates.h"

namespace qx::test {

TestPage::TestPage(IQXUIExtLib* object) : object_(object) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_PAGE), nullptr, &TestPage::Proc,
                                 reinterpret_cast<LPARAM>(this));
    list_ = GetDlgItem(window_, IDC_PAGE_LIST);
}

TestPage::~TestPage() {
    if (window_) DestroyWindow(window_);
}

INT_PTR CALLBACK TestPage::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return TRUE;
    }
    auto* page = reinterpret_cast<TestPage*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!page || message != WM_NOTIFY) return FALSE;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_PAGE_LIST || header->code != UINT(LVN_ITEMCHANGED)) return FALSE;
    BYTE notify = 0;
    ++page->itemChangedCalls;
    page->object_->EffectList_ItemChanged(header->hwndFrom, LONG_PTR(lParam), &notify);
    if (notify) page->dirty = true;
    return TRUE;
}

std::vector<std::wstring> TestPage::Rows() const {
    std::vector<std::wstring> rows;
    const int count = int(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(list_, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        rows.push_back(text);
    }
    return rows;
}

std::vector<std::wstring> TestPage::CheckedRows() const {
    std::vector<std::wstring> checked;
    for (const std::wstring& row : Rows())
        if (IsChecked(row.c_str())) checked.push_back(row);
    return checked;
}

int TestPage::Row(const wchar_t* label) const {
    const std::vector<std::wstring> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == label) return int(i);
    return -1;
}

bool TestPage::IsChecked(const wchar_t* label) const {
    const int row = Row(label);
    if (row < 0) return false;
    const UINT state = UINT(SendMessageW(list_, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void TestPage::SetChecked(const wchar_t* label, bool on) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageW(list_, LVM_SETITEMSTATE, WPARAM(Row(label)), reinterpret_cast<LPARAM>(&item));
}

void TestPage::SetSelectionMark(int row) { SendMessageW(list_, LVM_SETSELECTIONMARK, 0, row); }

Components::Components(std::initializer_list<settings::EffectId> missing) {
    for (size_t c = 0; c < controlpanel::kComponentClassCount; ++c) {
        const controlpanel::ComponentClass& component = controlpanel::kComponentClasses[c];
        bool skip = false;
        for (settings::EffectId id : missing)
            for (uint8_t e = 0; e < component.count; ++e) skip = skip || component.effects[e] == id;
        if (skip) continue;
        CLSID clsid;
        IID iid;
        std::memcpy(&clsid, &component.clsid, sizeof clsid);
        std::memcpy(&iid, &component.iid, sizeof iid);
        registrations_.push_back(std::make_unique<ComponentRegistration>(log, clsid, iid, L"component"));
    }
}

namespace {
struct Script {
    const wchar_t* title;
    std::vector<std::function<void(HWND)>> steps;
    size_t next = 0;
    int idleTicks = 0;
};
Script* g_script = nullptr;
constexpr int kGiveUpTicks = 2000;

BOOL CALLBACK EndShownDialog(HWND window, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (IsWindowVisible(window) && std::wcscmp(name, L"#32770") == 0)
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

void CALLBACK OnScriptTimer(HWND, UINT, UINT_PTR, DWORD) {
    Script& script = *g_script;
    const HWND dialog = FindWindowW(nullptr, script.title);
    if (!dialog) {
        // A dialog under another title would never be ended: after a while, end every
        // dialog this thread shows, so that the test fails instead of hanging.
        if (++script.idleTicks > kGiveUpTicks) {
            ADD_FAILURE() << "no dialog titled \"" << script.title << "\" opened";
            EnumThreadWindows(GetCurrentThreadId(), &EndShownDialog, 0);
        }
        return;
    }
    if (script.next < script.steps.size()) {
        // A step may run a nested modal loop (a dialog opened from a step), so it is
        // taken off the list before it runs.
        auto step = script.steps[script.next++];
        step(dialog);
        return;
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
}  // namespace

void PlayDialogScript(const wchar_t* title, std::vector<std::function<void(HWND)>> steps,
                      const std::function<void()>& runModal) {
    Script script{title, std::move(steps)};
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, &OnScriptTimer);
    runModal();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_EQ(script.steps.size(), script.next) << "the dialog \"" << title << "\" ended before its steps ran";
    // Drop a tick that may still be queued.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

}  // namespace qx::test
