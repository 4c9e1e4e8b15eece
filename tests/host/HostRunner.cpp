#include "tests/host/HostRunner.h"

#include <gtest/gtest.h>

#include "common/Handles.h"
#include "host/InProcessServer.h"

namespace qx::test {

namespace {
std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    return text;
}

bool MakePipe(UniqueHandle& read, UniqueHandle& write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 1 << 16)) return false;
    read.Reset(r);
    write.Reset(w);
    return SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0) != FALSE;  // our end stays private
}
}  // namespace

std::string TestFolder() { return host::Narrow(host::ProgramFolder()); }

HostResult RunHost(const std::string& arguments) {
    HostResult result;
    UniqueHandle outRead, outWrite, errRead, errWrite;
    if (!MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) return result;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite.Get();
    si.hStdError = errWrite.Get();
    std::wstring command = host::Widen("\"" + TestFolder() + "qxhost.exe\" " + arguments);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return result;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    outWrite.Reset();  // the child holds the only write ends now
    errWrite.Reset();
    result.out = ReadAll(outRead.Get());
    result.err = ReadAll(errRead.Get());
    WaitForSingleObject(process.Get(), 120000);
    GetExitCodeProcess(process.Get(), &result.exitCode);
    return result;
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::wstring folder = std::wstring(temp) + L"qxhost-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          host::Widen(info ? info->name() : "scratch");
    CreateDirectoryW(folder.c_str(), nullptr);
    folder_ = host::Narrow(folder) + "\\";
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW data;
    const std::wstring folder = host::Widen(folder_);
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + data.cFileName).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

void WriteWav(const std::string& path, const host::WavAudio& audio) {
    std::string error;
    ASSERT_TRUE(host::WriteWavFile(path, audio, error)) << error;
}

host::WavAudio ReadWav(const std::string& path) {
    host::WavAudio audio;
    std::string error;
    EXPECT_TRUE(host::ReadWavFile(path, audio, error)) << error;
    return audio;
}

}  // namespace qx::test
