#include "tests/host/HostRunner.h"

#include <gtest/gtest.h>

#include <fstream>

#include "host/InProcessServer.h"

namespace qx::test {

std::string TestFolder() { return host::Narrow(host::ProgramFolder()); }

ChildOutcome RunHost(const std::string& arguments) {
    return RunChild(host::Widen("\"" + TestFolder() + "qxhost.exe\" " + arguments), false);
}

std::string Servers() {
    return "--module " + Q(TestFolder() + "QXAPOMain.dll") + " --components " + Q(TestFolder() + "QXSampleFX.dll");
}

std::string SourceFile(const std::string& relative) {
    std::string path = "Z:" QX_SOURCE_DIR "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
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

std::string ScratchFolder::Save(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Q(Path(name));
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
