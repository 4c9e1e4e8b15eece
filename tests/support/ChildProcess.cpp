#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/Handles.h"
#include "host/InProcessServer.h"

namespace qx::test {

namespace {
// Far beyond what any child of the tests needs on a loaded machine.
constexpr DWORD kHangGuardMs = 300000;

bool MakePipe(UniqueHandle& read, UniqueHandle& write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 1 << 16)) return false;
    read.Reset(r);
    write.Reset(w);
    return SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0) != FALSE;  // our end stays private
}

void ReadAll(HANDLE pipe, std::string* text) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) text->append(buffer, n);
}
}  // namespace

ChildOutcome RunChild(std::wstring commandLine, bool errorsIntoOut,
                      const std::function<void(const PROCESS_INFORMATION&)>& whileRunning) {
    ChildOutcome outcome;
    const std::string name = host::Narrow(commandLine);
    UniqueHandle outRead, outWrite, errRead, errWrite;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION pi{};
    if (MakePipe(outRead, outWrite) && MakePipe(errRead, errWrite)) {
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = outWrite.Get();
        si.hStdError = errorsIntoOut ? outWrite.Get() : errWrite.Get();
    }
    if (!si.hStdOutput ||
        !CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << name << " (error " << GetLastError() << ")";
        return outcome;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    outWrite.Reset();  // the child holds the only write ends now
    errWrite.Reset();
    std::thread outReader(ReadAll, outRead.Get(), &outcome.out), errReader(ReadAll, errRead.Get(), &outcome.err);
    if (whileRunning) whileRunning(pi);
    if (WaitForSingleObject(process.Get(), kHangGuardMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), outcome.exitCode);
        WaitForSingleObject(process.Get(), INFINITE);  // its ends of the pipes close with it
        ADD_FAILURE() << name << " did not end within " << kHangGuardMs / 1000 << " s and was killed";
    } else {
        GetExitCodeProcess(process.Get(), &outcome.exitCode);
    }
    outReader.join();
    errReader.join();
    // Children write in text mode: lines end in CR LF.
    for (std::string* text : {&outcome.out, &outcome.err})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return outcome;
}

}  // namespace qx::test
