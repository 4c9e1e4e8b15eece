#pragma once
// A fixture for the settings-dialog tests: it lists the effects of an endpoint on a page
// and opens a row's dialog through EffectList_SettingsDialog (with or without a store),
// checking that the dialog opened and ended as it should; and a check of a dialog
// template in the module against the layout it must have.
#include <windows.h>
#include <commctrl.h>
#include <propsys.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/ComPtr.h"
#include "tests/controlpanel/DialogHarness.h"

namespace qx::test {

// Endpoints whose effect lists hold the rows the dialogs belong to.
inline constexpr EndpointSetup kStereoSpeakers{1, 3, 0};
inline constexpr EndpointSetup kSurroundSpeakers{1, 0x3F, 0};
inline constexpr EndpointSetup kHeadphones{3, 3, 0};
inline constexpr EndpointSetup kMicrophone{4, 3, 0};

class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lists the effects of an endpoint like `endpoint` on the page, with `store` as the FX store.
    void Show(const EndpointSetup& endpoint);
    // Selects `row`, opens its settings dialog and plays `steps` in it; the dialog must
    // have opened under `title` and ended by its "OK" or "Close" button with S_OK.
    void Open(const wchar_t* row, const wchar_t* title, Steps steps);
    // The same with an FX argument that is not a property store.
    void OpenWithoutStore(const wchar_t* row, const wchar_t* title, Steps steps);

    ComPtr<IPropertyStore> store;

private:
    void OpenIn(DialogHarness& harness, const wchar_t* row, const wchar_t* title, Steps steps);

    EndpointSetup endpoint_;
    std::unique_ptr<DialogHarness> harness_;
};

// One control of a template as its layout gives it. `style` lists what the layout asks
// for; the resource compiler adds WS_CHILD | WS_VISIBLE.
struct ExpectedControl {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
};

// Holds template `id` of the module against its title, size and controls (in order),
// and against what every settings dialog template shares.
void ExpectTemplate(int id, const wchar_t* title, short cx, short cy, const std::vector<ExpectedControl>& controls);

// Styles of the layouts' controls.
inline constexpr DWORD kOkButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
inline constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
inline constexpr DWORD kRadioGroupStart = BS_AUTORADIOBUTTON | WS_GROUP;
inline constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
inline constexpr DWORD kGroupBox = BS_GROUPBOX;
// Static texts start a group of their own, as the resource compiler makes them.
inline constexpr DWORD kLeftText = SS_LEFT | WS_GROUP;
inline constexpr DWORD kCentredText = SS_CENTER | WS_GROUP;

}  // namespace qx::test
