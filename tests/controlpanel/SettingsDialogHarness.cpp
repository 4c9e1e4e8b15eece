#include "tests/controlpanel/SettingsDialogHarness.h"

#include <string>

#include "frame/Module.h"
#include "tests/support/Stores.h"

namespace qx::test {

void SettingsDialogTest::SetUp() { store = NewMemoryStore(); }

void SettingsDialogTest::TearDown() {
    harness_.reset();
    store.Reset();
}

void SettingsDialogTest::Show(const EndpointSetup& endpoint) {
    endpoint_ = endpoint;
    harness_.reset();  // one endpoint registry at a time
    harness_ = std::make_unique<DialogHarness>(store.Get(), endpoint);
}

void SettingsDialogTest::Open(const wchar_t* row, const wchar_t* title, Steps steps) {
    ASSERT_TRUE(harness_) << "Show an endpoint first";
    OpenIn(*harness_, row, title, std::move(steps));
}

void SettingsDialogTest::OpenWithoutStore(const wchar_t* row, const wchar_t* title, Steps steps) {
    harness_.reset();
    {
        ComPtr<IMMDevice> notAStore = NewEndpoint(L"not a store", nullptr);
        DialogHarness harness(notAStore.Get(), endpoint_);
        OpenIn(harness, row, title, std::move(steps));
    }
    Show(endpoint_);
}

void SettingsDialogTest::OpenIn(DialogHarness& harness, const wchar_t* row, const wchar_t* title, Steps steps) {
    ASSERT_GE(harness.Page().Row(row), 0) << "no row " << testing::PrintToString(std::wstring(row));
    bool opened = false;
    steps.insert(steps.begin(), [&](HWND) { opened = true; });
    EXPECT_EQ(S_OK, harness.Open(row, title, std::move(steps)));
    EXPECT_TRUE(opened) << "no dialog titled " << testing::PrintToString(std::wstring(title));
}

}  // namespace qx::test
