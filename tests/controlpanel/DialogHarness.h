#pragma once
// Opening a real settings dialog the way the control panel does: a page with the effect
// list of a loudspeaker endpoint, the row selected, EffectList_SettingsDialog called, and
// the dialog driven by a script of steps played from a timer in its modal loop. Plus the
// small readers and user gestures the dialog tests share.
#include <windows.h>
#include <commctrl.h>
#include <propsys.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "host/EndpointRegistry.h"
#include "settings/EffectSchema.h"
#include "tests/controlpanel/PageHarness.h"

namespace qx::test {

// The endpoints the tests list effects for, served as the page host serves its own.
using host::EndpointRegistry;
using host::EndpointSetup;
using host::NewEndpoint;
using host::NewEndpointStoreFor;

using Steps = std::vector<std::function<void(HWND)>>;

class DialogHarness {
public:
    // A loudspeaker endpoint with this speaker mask; `fx` is its FX store (any IUnknown:
    // one that is no property store opens the dialogs without a store).
    DialogHarness(IUnknown* fx, uint32_t speakerMask = 0x63F);
    // Any endpoint: headphones and microphones list other rows.
    DialogHarness(IUnknown* fx, const EndpointSetup& endpoint);
    ~DialogHarness();
    DialogHarness(const DialogHarness&) = delete;
    DialogHarness& operator=(const DialogHarness&) = delete;

    // Selects the row `label`, opens its dialog (titled `title`) and plays `steps`; the
    // dialog is ended with its "OK" or "Close" button after the last step.
    HRESULT Open(const wchar_t* label, const wchar_t* title, Steps steps);
    // The same on a harness of its own whose FX argument is no property store (an
    // endpoint object), on the default loudspeaker endpoint.
    static HRESULT OpenWithoutStore(const wchar_t* label, const wchar_t* title, Steps steps);
    // Reports a changed key as the host does; the page then reloads the open dialog.
    HRESULT ReportChange(const settings::KeyId& key);

    IQXUIExtLib* Object() const { return object_.Get(); }
    TestPage& Page() const { return *page_; }

private:
    EndpointRegistry endpoints_;
    Components components_;
    ComPtr<IUnknown> fx_;
    ComPtr<IQXUIExtLib> object_;
    std::unique_ptr<TestPage> page_;
};

// The reload message the page posts to an open dialog.
UINT RefreshMessage();

// Reading the dialog.
int Pos(HWND dialog, int id);
int RangeMin(HWND dialog, int id);
int RangeMax(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
std::wstring Text(HWND dialog, int id);
// Whether the control stands at this rectangle of the template, in dialog units.
bool HasDialogUnits(HWND dialog, int id, int x, int y, int w, int h);
// The number of child controls of the dialog.
int ControlCount(HWND dialog);

// What a user does.
void Scroll(HWND dialog, UINT message, int id, int code, int pos = 0);  // WM_HSCROLL or WM_VSCROLL
void PressKey(HWND control, UINT vk);  // sent straight to the control
void Click(HWND dialog, int id);       // BM_CLICK
void Type(HWND edit, const wchar_t* text);  // one character at a time, as typed
void Reload(HWND dialog);                   // the refresh message, sent: the dialog reloads at once
void PressEscAndClose(HWND dialog);         // Esc on the focused control, then the caption's close box

// Reading the store.
uint32_t Stored(IPropertyStore* store, const settings::KeyId& key);  // 0xDEAD when no VT_UI4
DWORD StoredCount(IPropertyStore* store);

}  // namespace qx::test
