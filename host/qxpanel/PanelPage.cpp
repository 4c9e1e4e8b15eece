#include "host/qxpanel/PanelPage.h"

#include <cstdio>
#include <vector>

#include "host/qxpanel/PanelIds.h"
#include "host/qxpanel/StoreFile.h"

namespace qx::panel {

namespace {
constexpr UINT kStoreChanged = WM_APP + 1;
constexpr UINT kRunActions = WM_APP + 2;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kStatusSize = 512;
}  // namespace

PanelPage::PanelPage(IQXUIExtLib* object, const PanelOptions& options) : object_(object), options_(options) {}

PanelPage::~PanelPage() {
    if (window_) DestroyWindow(window_);
}

HRESULT PanelPage::Show(const std::wstring& endpointId, const std::wstring& title) {
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PANEL), nullptr, &PanelPage::Proc,
                                 reinterpret_cast<LPARAM>(this));
    if (!window_) return HRESULT_FROM_WIN32(GetLastError());
    list_ = GetDlgItem(window_, IDC_PANEL_LIST);
    SetWindowTextW(window_, title.c_str());

    HRESULT hr = PSCreateMemoryPropertyStore(IID_IPropertyStore, memory_.PutVoid());
    if (FAILED(hr)) return hr;
    if (!options_.storeFile.empty()) {
        std::vector<std::string> rejected;
        hr = LoadStoreFile(options_.storeFile, memory_.Get(), rejected);
        for (const std::string& line : rejected) std::fprintf(stderr, "qxpanel: ignored store line: %s\n", line.c_str());
        if (FAILED(hr)) return hr;
    }
    fx_ = ComPtr<NotifyingStore>::Attach(new NotifyingStore(memory_.Get(), window_, kStoreChanged));

    hr = object_->EffectList_Initialize(list_, const_cast<LPWSTR>(endpointId.c_str()), fx_.Get());
    if (FAILED(hr)) std::fprintf(stderr, "qxpanel: EffectList_Initialize failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    SetDirty(false);
    ShowWindow(window_, SW_SHOW);
    if (options_.closeAfterMs) SetTimer(window_, kCloseTimer, options_.closeAfterMs, nullptr);
    PostMessageW(window_, kRunActions, 0, 0);
    return S_OK;
}

int PanelPage::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window_ && IsDialogMessageW(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return exitCode_;
}

INT_PTR CALLBACK PanelPage::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return TRUE;
    }
    auto* page = reinterpret_cast<PanelPage*>(GetWindowLongPtrW(window, DWLP_USER));
    return page ? page->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR PanelPage::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_PANEL_LIST && header->code == UINT(LVN_ITEMCHANGED))
                OnListChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
            return TRUE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
            return TRUE;
        case kStoreChanged:
            OnStoreChanged();
            return TRUE;
        case kRunActions:
            RunActions();
            return TRUE;
        case WM_TIMER:
            if (wParam == kCloseTimer) DestroyWindow(window_);
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window_);
            return TRUE;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(exitCode_);
            return TRUE;
        default:
            return FALSE;
    }
}

void PanelPage::OnListChanged(const NMLISTVIEW& change) {
    BYTE notify = 0;
    object_->EffectList_ItemChanged(list_, LONG_PTR(&change), &notify);
    if (notify) SetDirty(true);
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
        // The object reads the selection mark, which a click sets but a selection made in
        // code does not.
        if (change.uNewState & LVIS_SELECTED) SendMessageW(list_, LVM_SETSELECTIONMARK, 0, change.iItem);
        UpdateStatus();
    }
}

void PanelPage::OnCommand(int id) {
    switch (id) {
        case IDC_PANEL_APPLY:
            Apply();
            break;
        case IDOK:
            Apply();
            DestroyWindow(window_);
            break;
        case IDCANCEL:
            DestroyWindow(window_);
            break;
        case IDC_PANEL_SETTINGS:
            object_->EffectList_SettingsDialog(list_, fx_.Get());
            break;
        default:
            break;
    }
}

void PanelPage::Apply() {
    if (!dirty_) return;
    const HRESULT hr = object_->EffectList_SetState(fx_.Get());
    if (FAILED(hr)) std::fprintf(stderr, "qxpanel: EffectList_SetState failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    SetDirty(false);
}

void PanelPage::OnStoreChanged() {
    const std::vector<PROPERTYKEY> changes = fx_->TakeChanges();
    if (changes.empty()) return;
    for (const PROPERTYKEY& key : changes) object_->EffectList_PropertyValueChanged(list_, fx_.Get(), key);
    Save();
    UpdateStatus();
}

void PanelPage::Save() {
    if (options_.storeFile.empty()) return;
    const HRESULT hr = SaveStoreFile(options_.storeFile, memory_.Get());
    if (FAILED(hr)) {
        std::fprintf(stderr, "qxpanel: cannot save the store: 0x%08lX\n", static_cast<unsigned long>(hr));
        exitCode_ = 1;
    }
}

void PanelPage::SetDirty(bool dirty) {
    dirty_ = dirty;
    if (window_) EnableWindow(GetDlgItem(window_, IDC_PANEL_APPLY), dirty ? TRUE : FALSE);
}

void PanelPage::UpdateStatus() {
    if (!window_) return;
    wchar_t text[kStatusSize] = {};
    BYTE settings = 0;
    if (FAILED(object_->EffectList_GetStatusString(list_, fx_.Get(), reinterpret_cast<USHORT*>(text), kStatusSize,
                                                   &settings)))
        text[0] = 0;
    // The status text separates its lines with bare line feeds; a static control wants CR LF.
    std::wstring shown;
    for (const wchar_t* p = text; *p; ++p) shown += *p == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, *p);
    SetDlgItemTextW(window_, IDC_PANEL_STATUS, shown.c_str());
    EnableWindow(GetDlgItem(window_, IDC_PANEL_SETTINGS), settings ? TRUE : FALSE);
}

int PanelPage::RowCount() const { return int(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

// The label of a row (the list's labels are short: longer ones are cut at 127 characters).
std::wstring PanelPage::RowText(int row) const {
    wchar_t text[128] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(list_, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int PanelPage::RowOf(const std::wstring& label) const {
    const int count = RowCount();
    for (int row = 0; row < count; ++row)
        if (_wcsicmp(RowText(row).c_str(), label.c_str()) == 0) return row;
    return -1;
}

void PanelPage::SetRowState(int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list_, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void PanelPage::PrintRows() const {
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const UINT state = UINT(SendMessageW(list_, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
        std::printf("[%c] %ls\n", (state >> 12) == 2 ? 'x' : ' ', RowText(row).c_str());
    }
    std::fflush(stdout);
}

void PanelPage::RunActions() {
    for (const PanelAction& action : options_.actions) {
        if (!window_) return;
        const int row = action.label.empty() ? -1 : RowOf(action.label);
        if (!action.label.empty() && row < 0) {
            std::fprintf(stderr, "qxpanel: no row \"%ls\"\n", action.label.c_str());
            exitCode_ = 1;
            continue;
        }
        switch (action.kind) {
            case PanelAction::Check:
            case PanelAction::Uncheck:
                SetRowState(row, INDEXTOSTATEIMAGEMASK(action.kind == PanelAction::Check ? 2 : 1), LVIS_STATEIMAGEMASK);
                break;
            case PanelAction::Select:
                SetRowState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                break;
            case PanelAction::Apply:
                Apply();
                break;
            case PanelAction::Settings:
                OnCommand(IDC_PANEL_SETTINGS);
                break;
            case PanelAction::List:
                PrintRows();
                break;
            case PanelAction::Close:
                // Let the store reports of an Apply reach the list and the file first.
                OnStoreChanged();
                DestroyWindow(window_);
                return;
        }
    }
}

}  // namespace qx::panel
