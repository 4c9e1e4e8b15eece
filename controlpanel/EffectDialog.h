#pragma once
// The frame shared by the effect settings dialogs: a modal dialog run from a template in
// the module, which writes every change straight into the FX property store and reloads
// its controls whenever the page sends the refresh message.
//
// A dialog is a small class deriving from EffectDialog plus a constexpr table of its
// controls (ControlItem) and, where it has a mode switch, of its mode groups (ModeGroup).
// The frame walks that table for the start state, the refresh and the user's actions;
// a dialog overrides a hook only for what the table cannot say.
#include <windows.h>
#include <propsys.h>

#include <cstddef>
#include <cstdint>

#include "common/ComPtr.h"
#include "settings/EffectSchema.h"

namespace qx::controlpanel {

// The registered message that makes an open dialog reload its controls from the store.
inline constexpr wchar_t kRefreshMessageName[] = L"CQXEffectPropPage Refresh Dialog Boxes";

// What the page hands to the dialog object it creates.
struct DialogContext {
    uint16_t templateId = 0;             // the DIALOGEX resource in the module
    ComPtr<IPropertyStore> store;        // null when the page could not obtain one
    HWND* openDialog = nullptr;          // where the page keeps the open dialog's handle
    uint32_t speakerMask = 3;            // the endpoint's speaker mask
};

enum class Binding : uint8_t {
    Trackbar,  // position <-> value; written while the thumb is dragged
    CheckBox,  // checked <-> flag (0 or 1)
    Radio,     // one button of a group; the group's checked button <-> choice
    ListBox,   // selected index <-> choice
};

enum ControlFlag : uint16_t {
    kSigned = 1u << 0,           // the stored value is signed: its low 16 bits are shown
    kRangeChecked = 1u << 1,     // a stored value outside min..max leaves the control as it is
    kStartWhenAbsent = 1u << 2,  // a value that does not count, is out of range (with kRangeChecked)
                                 // or cannot be read for want of a store restores the start state
    kNegated = 1u << 3,          // shown and stored negated (a vertical trackbar whose top is its minimum)
    kLineKeys = 1u << 4,         // the arrow keys (TB_LINEUP, TB_LINEDOWN) write as well
    kStartChecked = 1u << 5,     // radio: the button checked in the start state
    kAboveZero = 1u << 6,        // radio: also stands for every stored value above 0
    kFallback = 1u << 7,         // radio: checked when the stored value matches no button
    kZeroWhenAbsent = 1u << 8,   // trackbar: with a store, a value that does not count puts it at 0
                                 // (without a store it keeps its start position)
};

inline constexpr int32_t kNoStart = INT32_MIN;

// One control bound to one key. Radio buttons of a group stand next to each other.
struct ControlItem {
    int id;
    Binding binding;
    settings::KeyId key;
    int32_t min;    // trackbar range
    int32_t max;
    int32_t start;  // trackbar start position (kNoStart: none) and list start index
    int32_t value;  // radio: the value this button writes
    int first;      // radio: first and last id of the group
    int last;
    uint16_t flags;
};

constexpr ControlItem Trackbar(int id, const settings::KeyId& key, int32_t min, int32_t max,
                               int32_t start = kNoStart, uint16_t flags = 0) {
    return {id, Binding::Trackbar, key, min, max, start, 0, 0, 0, flags};
}
constexpr ControlItem CheckBox(int id, const settings::KeyId& key) {
    return {id, Binding::CheckBox, key, 0, 1, kNoStart, 0, 0, 0, 0};
}
constexpr ControlItem Radio(int id, int first, int last, const settings::KeyId& key, int32_t value,
                            uint16_t flags = 0) {
    return {id, Binding::Radio, key, 0, 0, kNoStart, value, first, last, flags};
}
constexpr ControlItem ListBox(int id, const settings::KeyId& key, uint16_t flags = 0) {
    return {id, Binding::ListBox, key, 0, 0, 0, 0, 0, 0, flags};
}

// Controls that are enabled only while the radio button `switchId` is checked.
struct ModeGroup {
    int switchId;
    uint8_t count;
    int controls[8];
};

// A dialog's tables; built from constexpr arrays.
struct ControlTable {
    const ControlItem* controls = nullptr;
    size_t controlCount = 0;
    const ModeGroup* modes = nullptr;
    size_t modeCount = 0;

    constexpr ControlTable() = default;
    template <size_t N>
    constexpr ControlTable(const ControlItem (&c)[N]) : controls(c), controlCount(N) {}
    template <size_t N, size_t M>
    constexpr ControlTable(const ControlItem (&c)[N], const ModeGroup (&m)[M])
        : controls(c), controlCount(N), modes(m), modeCount(M) {}
};

class EffectDialog {
public:
    virtual ~EffectDialog() = default;
    EffectDialog(const EffectDialog&) = delete;
    EffectDialog& operator=(const EffectDialog&) = delete;

    // Runs the dialog modally; returns when its "OK" or "Close" button ended it.
    INT_PTR RunModal(HWND owner);

protected:
    EffectDialog(const DialogContext& context, const ControlTable& table);

    // Hooks, each with a default that walks the control table.
    // Start state before the first refresh: trackbar ranges and start positions, start radio buttons.
    virtual void InitControls();
    // Reloads every control from the store, then applies the mode groups.
    virtual void Refresh();
    // A trackbar moved to pos by a code that writes (only called with a store).
    virtual void OnTrackbar(int id, int pos);
    // BN_CLICKED of a radio button or check box.
    virtual void OnClicked(int id);
    // LBN_SELCHANGE of a list box.
    virtual void OnListSelChange(int id);
    // EN_CHANGE of an edit field.
    virtual void OnEditChange(int id) {}
    // IDCANCEL (the Reset button, Esc, the close box) in dialogs that have a Reset.
    virtual bool HasReset() const { return false; }
    virtual void OnReset() {}

    // Helpers for the dialogs.
    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    IPropertyStore* Store() const { return store_.Get(); }
    uint32_t SpeakerMask() const { return speakerMask_; }
    const ControlTable& Table() const { return table_; }
    const ControlItem* FindControl(int id) const;
    void SendRefresh();  // synchronous reload through the refresh message
    void SetTrackbar(int id, int pos);
    int TrackbarPos(int id) const;
    void SetChecked(int id, bool on);
    bool IsChecked(int id) const;
    void CheckRadio(const ControlItem& button);
    void EnableItem(int id, bool on);
    // Puts one control (or, for a radio button, its group) back to its start state.
    void RestoreStart(const ControlItem& item);
    // Loads one control (or radio group) from the store.
    void RefreshControl(const ControlItem& item);
    void ApplyModes();
    // Writes a trackbar position or choice as a sign-extended VT_UI4; nothing without a store.
    void WriteValue(const settings::KeyId& key, int32_t value);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnScroll(WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void RefreshRadioGroup(const ControlItem& first);
    void RefreshTrackbar(const ControlItem& item);

    uint16_t templateId_;
    ComPtr<IPropertyStore> store_;
    HWND* openDialog_;
    uint32_t speakerMask_;
    ControlTable table_;
    HWND window_ = nullptr;
    UINT refreshMessage_ = 0;
};

// A dialog that its tables describe completely: no hook of its own. `kTable` is an
// `inline constexpr ControlTable` next to the dialog's control ids.
template <const ControlTable& kTable>
class TableDialog : public EffectDialog {
public:
    explicit TableDialog(const DialogContext& context) : EffectDialog(context, kTable) {}
};

}  // namespace qx::controlpanel
