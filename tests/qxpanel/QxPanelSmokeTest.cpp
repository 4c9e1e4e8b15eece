// The page host end to end: it starts, lists the rows of a loudspeaker endpoint, applies a
// change to its store file, exits cleanly, and finds the change again when restarted.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/qxpanel/PanelProcess.h"

namespace {
using qx::test::ChildOutcome;
using qx::test::RunPanel;

std::string ReadFileText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(QxPanel, ListsAppliesAndKeepsTheStoreAcrossRuns) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring store = std::wstring(temp) + L"qxpanel-smoke-store.txt";
    {
        std::ofstream out(store.c_str(), std::ios::binary | std::ios::trunc);
        out << "# written by the test\nEnvironment.enable 1\nNot.a.key 3\n";
    }
    const std::wstring common = L"--endpoint speakers --mask 3 --store \"" + store + L"\" ";

    ChildOutcome first = RunPanel(common + L"--list --check Equalizer --uncheck Environment --apply --exit");
    ASSERT_EQ(0u, first.exitCode) << first.out;
    EXPECT_NE(std::string::npos, first.out.find("[ ] Dolby PCEEv4\n"));
    EXPECT_NE(std::string::npos, first.out.find("[x] Environment\n"));
    EXPECT_NE(std::string::npos, first.out.find("[ ] DTS Surround Sensation\n"));
    EXPECT_NE(std::string::npos, first.out.find("ignored store line: Not.a.key 3"));
    size_t rows = 0;
    for (size_t at = first.out.find("] "); at != std::string::npos; at = first.out.find("] ", at + 1)) ++rows;
    EXPECT_EQ(14u, rows);

    const std::string saved = ReadFileText(store);
    EXPECT_NE(std::string::npos, saved.find("Equalizer.enable 1\n"));
    EXPECT_NE(std::string::npos, saved.find("Environment.enable 0\n"));
    EXPECT_NE(std::string::npos, saved.find("Eq15.enable 0\n"));
    EXPECT_EQ(std::string::npos, saved.find("NoiseReduction"));

    ChildOutcome second = RunPanel(common + L"--list --exit");
    ASSERT_EQ(0u, second.exitCode) << second.out;
    EXPECT_NE(std::string::npos, second.out.find("[x] Equalizer\n"));
    EXPECT_NE(std::string::npos, second.out.find("[ ] Environment\n"));
    DeleteFileW(store.c_str());
}

TEST(QxPanel, RejectsABadCommandLine) {
    ChildOutcome bad = RunPanel(L"--endpoint nowhere");
    EXPECT_EQ(2u, bad.exitCode);
    EXPECT_NE(std::string::npos, bad.out.find("bad endpoint"));
    ChildOutcome missing = RunPanel(L"--endpoint microphone --check Equalizer --exit");
    EXPECT_EQ(1u, missing.exitCode);  // no such row on a microphone
}
