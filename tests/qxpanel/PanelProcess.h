#pragma once
// Running the page host (qxpanel.exe, built beside the tests) as a child process. What it
// prints, its errors too, goes into `out`. While it runs, `whileRunning` (when given) is
// called on this thread with the child process, so that a test can work its windows.
#include "host/InProcessServer.h"
#include "tests/support/ChildProcess.h"

namespace qx::test {

inline ChildOutcome RunPanel(const std::wstring& args,
                             const std::function<void(const PROCESS_INFORMATION&)>& whileRunning = nullptr) {
    return RunChild(L"\"" + host::ProgramFolder() + L"..\\host\\qxpanel\\qxpanel.exe\" " + args, true, whileRunning);
}

}  // namespace qx::test
