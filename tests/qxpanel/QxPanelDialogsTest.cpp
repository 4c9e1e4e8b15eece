// Every settings dialog opened from its row in the page host, as a user would: select the
// row, press "Settings", and end the dialog with its "OK" or "Close" button.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "tests/qxpanel/PanelProcess.h"

using qx::UniqueHandle;
using qx::test::ChildOutcome;
using qx::test::RunPanel;

namespace {
struct DialogRow {
    const wchar_t* row;
    const wchar_t* title;
    const wchar_t* closeButton;
};

// One page per endpoint; together their rows hold all seventeen dialogs.
struct Page {
    const wchar_t* endpointArgs;
    std::vector<DialogRow> dialogs;
};
const Page kPages[] = {
    {L"--endpoint speakers --mask 3",
     {{L"Equalizer", L"Equalizer", L"Close"},
      {L"15-Band Equalizer", L"15 Band Equalizer", L"OK"},
      {L"Environment", L"Environment", L"OK"},
      {L"Speaker Shifter", L"Virtual Speaker Shifter", L"OK"},
      {L"Key Shifting", L"Key Shifting", L"OK"},
      {L"Vocal Fading", L"Vocal Fading", L"OK"},
      {L"Vocal Remover", L"Vocal Remover", L"OK"},
      {L"DTS Voice Clarity", L"DTS Voice Clarity", L"OK"},
      {L"Flex Bass", L"Flex Bass", L"OK"},
      {L"Nuvex Surround", L"Nuvex Surround", L"OK"},
      {L"Dolby Surround", L"Dolby Surround", L"OK"},
      {L"DTS Surround Sensation", L"DTS Surround Sensation", L"OK"}}},
    {L"--endpoint speakers --mask 0x3F",
     {{L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", L"OK"}, {L"DTS Neo:PC", L"DTS Neo:PC", L"OK"}}},
    {L"--endpoint headphones", {{L"Nuvex Surround Headphone", L"Nuvex Surround Headphone", L"OK"}}},
    {L"--endpoint microphone", {{L"Echo", L"Microphone Echo", L"OK"}, {L"Magic Voice", L"Magic Voice", L"OK"}}},
};

// The page host sets `windowEvent` whenever one of its windows is shown, moved, activated
// or destroyed; `done` is checked again after each such signal. False as soon as the child
// ends without `done`; the bound only turns a hang into a failure.
bool WaitFor(const std::function<bool()>& done, HANDLE windowEvent, HANDLE child) {
    constexpr DWORD kHangGuardMs = 120000;
    const HANDLE handles[] = {windowEvent, child};
    while (!done())
        if (WaitForMultipleObjects(2, handles, FALSE, kHangGuardMs) != WAIT_OBJECT_0) return done();
    return true;
}

std::wstring ButtonText(HWND button) {
    wchar_t text[64] = {};
    GetWindowTextW(button, text, 64);
    return text;
}

// Ends each dialog of `page` as it appears; kills the page when one does not.
void CloseEachDialog(const Page& page, HANDLE windowEvent, const PROCESS_INFORMATION& process) {
    for (const DialogRow& d : page.dialogs) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.title)));
        HWND dialog = nullptr;
        const bool shown = WaitFor(
            [&] {
                dialog = FindWindowW(L"#32770", d.title);
                return dialog && IsWindowVisible(dialog);
            },
            windowEvent, process.hProcess);
        if (!shown) {
            ADD_FAILURE() << "the dialog did not open";
            TerminateProcess(process.hProcess, 98);
            return;
        }
        DWORD owner = 0;
        GetWindowThreadProcessId(dialog, &owner);
        EXPECT_EQ(process.dwProcessId, owner);
        const HWND button = GetDlgItem(dialog, IDOK);
        EXPECT_EQ(std::wstring(d.closeButton), ButtonText(button));
        PostMessageW(button, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, windowEvent, process.hProcess))
            << "the dialog did not close";
    }
}
}  // namespace

TEST(QxPanelDialogs, EverySettingsDialogOpensFromItsRowAndClosesWithItsButton) {
    const std::wstring eventName = L"qxpanel-test-windows-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle windowEvent(CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    ASSERT_TRUE(windowEvent);
    size_t dialogs = 0;
    for (const Page& page : kPages) {
        std::wstring args = page.endpointArgs + std::wstring(L" --window-event ") + eventName;
        for (const DialogRow& d : page.dialogs) args += L" --select \"" + std::wstring(d.row) + L"\" --settings";
        args += L" --exit";
        const ChildOutcome outcome =
            RunPanel(args, [&](const PROCESS_INFORMATION& p) { CloseEachDialog(page, windowEvent.Get(), p); });
        EXPECT_EQ(0u, outcome.exitCode) << outcome.out;
        dialogs += page.dialogs.size();
    }
    EXPECT_EQ(17u, dialogs);
}
