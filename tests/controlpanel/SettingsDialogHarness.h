#pragma once
// A fixture for the settings-dialog tests: it lists the effects of an endpoint on a page
// and opens a row's dialog through EffectList_SettingsDialog (with or without a store),
// checking that the dialog opened and ended as it should.
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

}  // namespace qx::test
