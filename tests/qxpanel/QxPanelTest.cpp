// The page host end to end: it lists the rows of a loudspeaker endpoint, applies a change
// to its store file, exits cleanly and finds the change again when restarted; a bad
// command line is refused. (The dialogs it opens are walked in-process by the
// control-panel tests.)
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "host/InProcessServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchDirectory.h"

namespace {
using qx::test::ChildOutcome;

// Runs qxpanel.exe, built beside the tests; `whileRunning` works its windows meanwhile.
ChildOutcome RunPanel(const std::wstring& args, const std::function<void(const PROCESS_INFORMATION&)>& whileRunning = nullptr) {
    return qx::test::RunChild(L"\"" + qx::host::ProgramFolder() + L"..\\host\\qxpanel\\qxpanel.exe\" " + args, true, whileRunning);
}
bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(QxPanel, ListsAppliesAndKeepsTheStoreAcrossRuns) {
    const qx::test::ScratchDirectory dir(L"qxpanel-smoke");
    const std::wstring store = dir.Path() + L"\\store.txt";
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
}

TEST(QxPanel, RejectsABadCommandLine) {
    const ChildOutcome bad = RunPanel(L"--endpoint nowhere");
    EXPECT_EQ(2u, bad.exitCode);
    EXPECT_TRUE(Has(bad.out, "bad endpoint"));
    EXPECT_EQ(1u, RunPanel(L"--endpoint microphone --check Equalizer --exit").exitCode);  // no such row on a microphone
}
