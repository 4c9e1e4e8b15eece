#include "tests/qxpanel/PanelProcess.h"

#include <algorithm>
#include <thread>

#include "common/Handles.h"
#include "host/InProcessServer.h"

namespace qx::test {

std::wstring PanelPath() { return host::ProgramFolder() + L"..\\host\\qxpanel\\qxpanel.exe"; }

PanelOutcome RunPanel(const std::wstring& args, const std::function<void(const PROCESS_INFORMATION&)>& whileRunning) {
    PanelOutcome outcome;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return outcome;
    qx::UniqueHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + PanelPath() + L"\" " + args;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return outcome;
    qx::UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writer.Reset();  // the child holds the only write end now

    std::thread reading([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) outcome.output.append(buffer, got);
    });
    if (whileRunning) whileRunning(process);
    reading.join();
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        return outcome;
    }
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    // The program writes in text mode: lines end in CR LF.
    outcome.output.erase(std::remove(outcome.output.begin(), outcome.output.end(), '\r'), outcome.output.end());
    return outcome;
}

}  // namespace qx::test
