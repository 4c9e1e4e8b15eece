#pragma once
// What the control-panel tests stand on: the effect components registered in-process
// under the class identifiers the effect list creates, a page dialog with a real
// list-view that passes its notifications to the effect-list object as the sound control
// panel does, a script player that drives a modal dialog from a thread timer, and the
// readers and gestures the dialog tests share.
#include <windows.h>
#include <commctrl.h>
#include <propsys.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "host/EndpointRegistry.h"
#include "settings/EffectSchema.h"
#include "tests/support/RecordingComponent.h"

namespace qx::test {

using host::EndpointSetup;
using Steps = std::vector<std::function<void(HWND)>>;
using Labels = std::vector<std::wstring>;

// Registers the component class of every effect except the listed EffectIds (a class
// that also serves another effect is left out whole).
class Components {
public:
    explicit Components(const std::vector<int>& missing = {});
    CallLog log;

private:
    std::vector<std::unique_ptr<ComponentRegistration>> registrations_;
};

// One effect-list object on its page, with its own endpoints and components.
class Panel {
public:
    explicit Panel(IUnknown* fx);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Adds an endpoint like `setup` and lists its effects.
    HRESULT Show(const EndpointSetup& setup, const wchar_t* id = L"endpoint");
    HRESULT Initialize(const wchar_t* id);
    // Selects `row`, opens its dialog (it must open under `title`) and plays `steps` in
    // it; after the last step the dialog is ended with its "OK" or "Close" button.
    HRESULT Open(const wchar_t* row, const wchar_t* title, Steps steps);

    Labels Rows() const;
    Labels CheckedRows() const;
    int Row(const std::wstring& label) const;  // -1 when not listed
    bool IsChecked(const std::wstring& label) const;
    // Sets a row's check box as a click would; the list reports it to the page.
    void SetChecked(const std::wstring& label, bool on);
    void Select(int row);

    HWND window = nullptr, list = nullptr;
    bool dirty = false;  // set whenever the object asks the page to mark unapplied changes
    host::EndpointRegistry endpoints;
    std::unique_ptr<Components> components = std::make_unique<Components>();
    ComPtr<IUnknown> fx;
    ComPtr<IQXUIExtLib> object;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Runs `runModal`, which opens a modal dialog titled `title`, and plays one step per
// timer tick with the dialog's handle, then ends the dialog with its OK button. The test
// fails when the dialog never opens or ends before its last step ran.
void PlayDialogScript(const wchar_t* title, Steps steps, const std::function<void()>& runModal);

// Reading a dialog.
int Pos(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
std::wstring Text(HWND dialog, int id);

// What a user does.
void Scroll(HWND dialog, UINT message, int id, int code, int pos);  // WM_HSCROLL or WM_VSCROLL
void Click(HWND dialog, int id);                                     // BM_CLICK
void Type(HWND edit, const wchar_t* text);  // one character at a time, as typed
void Reload(HWND dialog);                   // the refresh message, sent: the dialog reloads at once
void PressEscAndClose(HWND dialog);         // Esc on the focused control, then the caption's close box

// Reading the store: 0xDEAD when it holds no VT_UI4.
uint32_t Stored(IPropertyStore* store, const settings::KeyId& key);
DWORD StoredCount(IPropertyStore* store);
// A key from its format identifier as written in the contract.
settings::KeyId Key(const wchar_t* fmtid, uint32_t pid);

}  // namespace qx::test
