#include "tests/host/HostRunner.h"

#include <gtest/gtest.h>

#include <fstream>

#include "host/InProcessServer.h"

namespace qx::test {

namespace {
// The test program's folder (with a trailing separator) as a narrow path.
std::string TestFolder() { return host::Narrow(host::ProgramFolder()); }

std::string TestName() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return info ? info->name() : "scratch";
}
}  // namespace

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

ScratchFolder::ScratchFolder()
    : dir_(L"qxhost-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" + host::Widen(TestName())),
      folder_(host::Narrow(dir_.Path()) + "\\") {}

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
