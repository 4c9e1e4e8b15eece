#pragma once
// Running the page host (qxpanel.exe, built beside the tests) as a child process.
#include <windows.h>

#include <functional>
#include <string>

namespace qx::test {

// qxpanel.exe in the build tree.
std::wstring PanelPath();

struct PanelOutcome {
    DWORD exitCode = 0xFFFFFFFF;  // also when it did not start or did not end within a minute
    std::string output;           // what it printed, with LF line ends
};

// Runs qxpanel with `args`, collects what it prints and waits for it to end. While it
// runs, `whileRunning` (when given) is called on this thread with the child process, so
// that a test can work its windows; the output is read meanwhile on another thread.
PanelOutcome RunPanel(const std::wstring& args,
                      const std::function<void(const PROCESS_INFORMATION&)>& whileRunning = nullptr);

}  // namespace qx::test
