#include "controlpanel/EffectDialog.h"

#include <commctrl.h>

#include "frame/Module.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::controlpanel {

using settings::KeyId;

EffectDialog::EffectDialog(const DialogContext& context, const ControlTable& table)
    : templateId_(context.templateId),
      store_(context.store),
      openDialog_(context.openDialog),
      speakerMask_(context.speakerMask),
      table_(table) {}

INT_PTR EffectDialog::RunModal(HWND owner) {
    // The templates use trackbars; the page may not have registered their class.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    return DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(templateId_), owner, &EffectDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK EffectDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<EffectDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
    }
    auto* self = reinterpret_cast<EffectDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->window_ = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR EffectDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (refreshMessage_ != 0 && message == refreshMessage_) {
        Refresh();
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;  // the system sets the default focus
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScroll(wParam, lParam);
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void EffectDialog::OnInitDialog() {
    if (openDialog_) *openDialog_ = window_;
    refreshMessage_ = RegisterWindowMessageW(kRefreshMessageName);
    InitControls();
    // The first load runs through the same code as every later reload.
    SendRefresh();
}

void EffectDialog::OnScroll(WPARAM wParam, LPARAM lParam) {
    if (!store_) return;
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    const int code = LOWORD(wParam);
    int pos;
    if (code == TB_THUMBPOSITION || code == TB_THUMBTRACK) {
        pos = static_cast<short>(HIWORD(wParam));
    } else if (code == TB_LINEUP || code == TB_LINEDOWN) {
        // Clicks on the channel and the page keys move the thumb without storing it;
        // the arrow keys store only where a control asks for it.
        const ControlItem* item = FindControl(id);
        if (!item || !(item->flags & kLineKeys)) return;
        pos = TrackbarPos(id);
    } else {
        return;
    }
    OnTrackbar(id, pos);
}

void EffectDialog::OnCommand(int id, int code) {
    if (id == IDOK) {
        if (code == 0) EndDialog(window_, IDOK);
        return;
    }
    if (id == IDCANCEL) {
        // Esc and the close box arrive here too: they reset, or do nothing, but never close.
        if (code == 0 && HasReset()) OnReset();
        return;
    }
    switch (code) {
        case BN_CLICKED: OnClicked(id); break;
        case LBN_SELCHANGE: OnListSelChange(id); break;
        case EN_CHANGE: OnEditChange(id); break;
        default: break;
    }
}

void EffectDialog::InitControls() {
    for (size_t i = 0; i < table_.controlCount; ++i) {
        const ControlItem& item = table_.controls[i];
        if (item.binding == Binding::Trackbar) {
            SendDlgItemMessageW(window_, item.id, TBM_SETRANGE, TRUE, MAKELPARAM(item.min, item.max));
            if (item.start != kNoStart) SetTrackbar(item.id, item.start);
        } else if (item.binding == Binding::Radio && (item.flags & kStartChecked)) {
            CheckRadio(item);
        }
    }
}

void EffectDialog::Refresh() {
    for (size_t i = 0; i < table_.controlCount; ++i) {
        const ControlItem& item = table_.controls[i];
        // A radio group is loaded once, at its first button.
        if (item.binding == Binding::Radio && i > 0 && table_.controls[i - 1].binding == Binding::Radio &&
            table_.controls[i - 1].first == item.first)
            continue;
        RefreshControl(item);
    }
    ApplyModes();
}

void EffectDialog::RefreshControl(const ControlItem& item) {
    uint32_t value = 0;
    switch (item.binding) {
        case Binding::Trackbar:
            RefreshTrackbar(item);
            break;
        case Binding::CheckBox:
            if (settings::ReadUInt(store_.Get(), item.key, value))
                SetChecked(item.id, value != 0);
            else if (item.flags & kStartWhenAbsent)
                RestoreStart(item);
            break;
        case Binding::Radio:
            RefreshRadioGroup(item);
            break;
        case Binding::ListBox:
            if (settings::ReadUInt(store_.Get(), item.key, value))
                SendDlgItemMessageW(window_, item.id, LB_SETCURSEL, value, 0);  // past the end selects nothing
            else if (item.flags & kStartWhenAbsent)
                RestoreStart(item);
            break;
    }
}

void EffectDialog::RefreshTrackbar(const ControlItem& item) {
    uint32_t stored = 0;
    if (!settings::ReadUInt(store_.Get(), item.key, stored)) {
        if (item.flags & kStartWhenAbsent)
            RestoreStart(item);
        else if ((item.flags & kZeroWhenAbsent) && store_)
            SetTrackbar(item.id, 0);
        return;
    }
    int32_t shown = (item.flags & kSigned) ? settings::DecodeSigned(stored) : int32_t(stored);
    if ((item.flags & kRangeChecked) && (shown < item.min || shown > item.max)) {
        if (item.flags & kStartWhenAbsent) RestoreStart(item);
        return;
    }
    if (item.flags & kNegated) shown = -shown;
    // Other values go to the trackbar as they are; it limits them to its range.
    SetTrackbar(item.id, shown);
}

void EffectDialog::RefreshRadioGroup(const ControlItem& member) {
    const ControlItem* match = nullptr;
    const ControlItem* aboveZero = nullptr;
    const ControlItem* fallback = nullptr;
    bool startWhenAbsent = false;
    uint32_t value = 0;
    const bool counts = settings::ReadUInt(store_.Get(), member.key, value);
    for (size_t i = 0; i < table_.controlCount; ++i) {
        const ControlItem& b = table_.controls[i];
        if (b.binding != Binding::Radio || b.first != member.first) continue;
        if (counts && !match && uint32_t(b.value) == value) match = &b;
        if (b.flags & kAboveZero) aboveZero = &b;
        if (b.flags & kFallback) fallback = &b;
        if (b.flags & kStartWhenAbsent) startWhenAbsent = true;
    }
    if (counts && !match && value > 0) match = aboveZero;
    if (match) {
        CheckRadio(*match);
    } else if (fallback) {
        CheckRadio(*fallback);
    } else if (!counts && startWhenAbsent) {
        RestoreStart(member);
    }
}

void EffectDialog::RestoreStart(const ControlItem& item) {
    switch (item.binding) {
        case Binding::Trackbar:
            SetTrackbar(item.id, item.start == kNoStart ? 0 : item.start);
            break;
        case Binding::CheckBox:
            SetChecked(item.id, false);
            break;
        case Binding::Radio:
            for (size_t i = 0; i < table_.controlCount; ++i) {
                const ControlItem& b = table_.controls[i];
                if (b.binding == Binding::Radio && b.first == item.first && (b.flags & kStartChecked)) CheckRadio(b);
            }
            break;
        case Binding::ListBox:
            SendDlgItemMessageW(window_, item.id, LB_SETCURSEL, WPARAM(item.start), 0);
            break;
    }
}

void EffectDialog::ApplyModes() {
    for (size_t g = 0; g < table_.modeCount; ++g) {
        const ModeGroup& group = table_.modes[g];
        const bool on = IsChecked(group.switchId);
        for (uint8_t i = 0; i < group.count; ++i) EnableItem(group.controls[i], on);
    }
}

void EffectDialog::OnTrackbar(int id, int pos) {
    const ControlItem* item = FindControl(id);
    if (!item || item->binding != Binding::Trackbar) return;
    WriteValue(item->key, (item->flags & kNegated) ? -pos : pos);
}

void EffectDialog::OnClicked(int id) {
    const ControlItem* item = FindControl(id);
    if (!item) return;
    if (item->binding == Binding::Radio) {
        WriteValue(item->key, item->value);
        ApplyModes();
    } else if (item->binding == Binding::CheckBox) {
        WriteValue(item->key, int32_t(IsDlgButtonChecked(window_, id)));
    }
}

void EffectDialog::OnListSelChange(int id) {
    const ControlItem* item = FindControl(id);
    if (!item || item->binding != Binding::ListBox) return;
    const LRESULT index = SendDlgItemMessageW(window_, id, LB_GETCURSEL, 0, 0);
    if (index >= 0) WriteValue(item->key, int32_t(index));
}

const ControlItem* EffectDialog::FindControl(int id) const {
    for (size_t i = 0; i < table_.controlCount; ++i)
        if (table_.controls[i].id == id) return &table_.controls[i];
    return nullptr;
}

void EffectDialog::SendRefresh() {
    if (refreshMessage_ != 0 && window_) SendMessageW(window_, refreshMessage_, 0, 0);
}

void EffectDialog::SetTrackbar(int id, int pos) { SendDlgItemMessageW(window_, id, TBM_SETPOS, TRUE, pos); }

int EffectDialog::TrackbarPos(int id) const {
    return int(SendDlgItemMessageW(window_, id, TBM_GETPOS, 0, 0));
}

void EffectDialog::SetChecked(int id, bool on) { CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool EffectDialog::IsChecked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }

void EffectDialog::CheckRadio(const ControlItem& button) {
    CheckRadioButton(window_, button.first, button.last, button.id);
}

void EffectDialog::EnableItem(int id, bool on) { EnableWindow(Item(id), on ? TRUE : FALSE); }

void EffectDialog::WriteValue(const KeyId& key, int32_t value) {
    // A failed write is not reported: the control keeps the user's choice until the next refresh.
    if (store_) settings::WriteSigned(store_.Get(), key, value);
}

}  // namespace qx::controlpanel
