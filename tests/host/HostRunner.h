#pragma once
// Runs qxhost.exe (next to the test program) with a command line and collects its exit
// code and output (a hung one is killed); scratch files live in a per-test temporary folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host/InProcessServer.h"
#include "host/WavFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchDirectory.h"

namespace qx::test {

// The test program's folder (with a trailing separator) as a narrow path.
inline std::string TestFolder() { return host::Narrow(host::ProgramFolder()); }

// arguments: everything after the program name, as typed on a command line.
inline ChildOutcome RunHost(const std::string& arguments) {
    return RunChild(host::Widen("\"" + TestFolder() + "qxhost.exe\" " + arguments), false);
}

// Quotes a path for a command line.
inline std::string Q(const std::string& path) { return "\"" + path + "\""; }

// The options that load the module and the sample components from the test folder.
inline std::string Servers() {
    return "--module " + Q(TestFolder() + "QXAPOMain.dll") + " --components " + Q(TestFolder() + "QXSampleFX.dll");
}

// A scratch folder of the running test, named after it and removed with everything in it
// when the object goes.
class ScratchFolder {
public:
    ScratchFolder()
        : dir_(L"qxhost-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               host::Widen(testing::UnitTest::GetInstance()->current_test_info()->name())),
          folder_(host::Narrow(dir_.Path()) + "\\") {}
    std::string Path(const std::string& name) const { return folder_ + name; }
    // Writes the bytes into a file of the folder and gives its quoted path.
    std::string Save(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Q(Path(name));
    }

private:
    ScratchDirectory dir_;
    std::string folder_;
};

// Writes audio as a WAV file (failing the test on error), and reads one.
inline void WriteWav(const std::string& path, const host::WavAudio& audio) {
    std::string error;
    ASSERT_TRUE(host::WriteWavFile(path, audio, error)) << error;
}
inline host::WavAudio ReadWav(const std::string& path) {
    host::WavAudio audio;
    std::string error;
    EXPECT_TRUE(host::ReadWavFile(path, audio, error)) << error;
    return audio;
}

}  // namespace qx::test
