#pragma once
// Runs a program of the build tree as a child process and collects what it writes. The
// wait for its end is bounded only so that a hang becomes a failure: a child still
// running then is killed and the test fails saying so.
#include <windows.h>

#include <functional>
#include <string>

namespace qx::test {

struct ChildOutcome {
    DWORD exitCode = 0xFFFFFFFF;  // also when it did not start or was killed
    std::string out, err;         // with LF line ends; err stays empty when it goes into out
};

// `whileRunning`, when given, is called on this thread with the running child; its
// output is read meanwhile on other threads.
ChildOutcome RunChild(std::wstring commandLine, bool errorsIntoOut,
                      const std::function<void(const PROCESS_INFORMATION&)>& whileRunning = nullptr);

}  // namespace qx::test
