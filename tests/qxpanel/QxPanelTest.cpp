// The page host end to end: it lists the rows of a loudspeaker endpoint, applies a change
// to its store file, exits cleanly and finds the change again when restarted; it opens the
// settings dialog of a selected row; a bad command line is refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/Handles.h"
#include "host/InProcessServer.h"
#include "tests/support/ChildProcess.h"

namespace {
using qx::test::ChildOutcome;

// Runs qxpanel.exe, built beside the tests; `whileRunning` works its windows meanwhile.
ChildOutcome RunPanel(const std::wstring& args, const std::function<void(const PROCESS_INFORMATION&)>& whileRunning = nullptr) {
    return qx::test::RunChild(L"\"" + qx::host::ProgramFolder() + L"..\\host\\qxpanel\\qxpanel.exe\" " + args, true, whileRunning);
}
bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(QxPanel, ListsAppliesAndKeepsTheStoreAcrossRuns) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring store = std::wstring(temp) + L"qxpanel-smoke-store.txt";
    std::ofstream(store.c_str(), std::ios::binary | std::ios::trunc) << "# written by the test\nEnvironment.enable 1\nNot.a.key 3\n";
    const std::wstring common = L"--endpoint speakers --mask 3 --store \"" + store + L"\" ";

    const ChildOutcome first = RunPanel(common + L"--list --check Equalizer --uncheck Environment --apply --exit");
    ASSERT_EQ(0u, first.exitCode) << first.out;
    for (const char* line : {"[ ] Dolby PCEEv4\n", "[x] Environment\n", "[ ] DTS Surround Sensation\n", "ignored store line: Not.a.key 3"})
        EXPECT_TRUE(Has(first.out, line)) << line;
    size_t rows = 0;
    for (size_t at = first.out.find("] "); at != std::string::npos; at = first.out.find("] ", at + 1)) ++rows;
    EXPECT_EQ(14u, rows);
    std::stringstream saved;
    saved << std::ifstream(store.c_str(), std::ios::binary).rdbuf();
    for (const char* line : {"Equalizer.enable 1\n", "Environment.enable 0\n", "Eq15.enable 0\n"}) EXPECT_TRUE(Has(saved.str(), line)) << line;
    EXPECT_FALSE(Has(saved.str(), "NoiseReduction"));

    const ChildOutcome second = RunPanel(common + L"--list --exit");
    ASSERT_EQ(0u, second.exitCode) << second.out;
    EXPECT_TRUE(Has(second.out, "[x] Equalizer\n") && Has(second.out, "[ ] Environment\n"));
    DeleteFileW(store.c_str());
}

// A selected row's settings dialog opens from the command line and ends with its button.
TEST(QxPanel, OpensTheSettingsDialogOfASelectedRow) {
    const std::wstring eventName = L"qxpanel-test-windows-" + std::to_wstring(GetCurrentProcessId());
    const qx::UniqueHandle windowEvent(CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    HWND dialog = nullptr;
    const auto closeDialog = [&](const PROCESS_INFORMATION& process) {
        // The page host sets the event whenever one of its windows is shown, moved,
        // activated or destroyed; the bound only turns a hang into a failure.
        const HANDLE handles[] = {windowEvent.Get(), process.hProcess};
        while (!IsWindowVisible(dialog = FindWindowW(L"#32770", L"Magic Voice")))
            if (WaitForMultipleObjects(2, handles, FALSE, 120000) != WAIT_OBJECT_0) return;
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);  // the page host then exits
    };
    const ChildOutcome outcome = RunPanel(
        L"--endpoint microphone --window-event " + eventName + L" --select \"Magic Voice\" --settings --exit", closeDialog);
    EXPECT_TRUE(dialog) << "the dialog did not open";
    EXPECT_EQ(0u, outcome.exitCode) << outcome.out;
}

TEST(QxPanel, RejectsABadCommandLine) {
    const ChildOutcome bad = RunPanel(L"--endpoint nowhere");
    EXPECT_EQ(2u, bad.exitCode);
    EXPECT_TRUE(Has(bad.out, "bad endpoint"));
    EXPECT_EQ(1u, RunPanel(L"--endpoint microphone --check Equalizer --exit").exitCode);  // no such row on a microphone
}
