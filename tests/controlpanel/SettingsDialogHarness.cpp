#include "tests/controlpanel/SettingsDialogHarness.h"

#include <string>

#include "frame/Module.h"
#include "tests/controlpanel/DialogTemplate.h"
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

void ExpectTemplate(int id, const wchar_t* title, short cx, short cy, const std::vector<ExpectedControl>& controls) {
    SCOPED_TRACE(testing::Message() << "template " << id);
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(Module::Instance(), id, t));
    EXPECT_EQ(DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS), t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(cx, t.cx);
    EXPECT_EQ(cy, t.cy);
    EXPECT_FALSE(t.hasMenu);
    EXPECT_FALSE(t.hasClass);
    EXPECT_EQ(std::wstring(title), t.title);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(L"MS Shell Dlg", t.font);
    EXPECT_EQ(0u, t.creationDataBytes);
    ASSERT_EQ(controls.size(), t.controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ExpectedControl& want = controls[i];
        const TemplateControl& got = t.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
        EXPECT_EQ(want.id, got.id);
        // Window class names are case-insensitive; resource compilers differ in the case they keep.
        EXPECT_EQ(0, _wcsicmp(want.className, got.className.c_str())) << testing::PrintToString(got.className);
        EXPECT_EQ(std::wstring(want.text), got.text);
        EXPECT_EQ(want.style | WS_CHILD | WS_VISIBLE, got.style);
        EXPECT_EQ(0u, got.exStyle);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
    }
}

}  // namespace qx::test
