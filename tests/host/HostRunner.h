#pragma once
// Runs qxhost.exe (next to the test program) with a command line and collects its exit
// code and output (a hung one is killed); scratch files live in a per-test temporary folder.
#include <windows.h>

#include <string>

#include "host/WavFile.h"
#include "tests/support/ChildProcess.h"

namespace qx::test {

// arguments: everything after the program name, as typed on a command line.
ChildOutcome RunHost(const std::string& arguments);

// The test program's folder (with a trailing separator) as a narrow path.
std::string TestFolder();

// A scratch folder removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string Path(const std::string& name) const { return folder_ + name; }

private:
    std::string folder_;
};

// Writes audio as a WAV file; fails the test on error.
void WriteWav(const std::string& path, const host::WavAudio& audio);
host::WavAudio ReadWav(const std::string& path);

// Quotes a path for a command line.
inline std::string Q(const std::string& path) { return "\"" + path + "\""; }

}  // namespace qx::test
