#pragma once
// Runs qxhost.exe (next to the test program) with a command line and collects its exit
// code and output (a hung one is killed); scratch files live in a per-test temporary folder.
#include <windows.h>

#include <string>

#include "host/WavFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchDirectory.h"

namespace qx::test {

// arguments: everything after the program name, as typed on a command line.
ChildOutcome RunHost(const std::string& arguments);

// Quotes a path for a command line.
inline std::string Q(const std::string& path) { return "\"" + path + "\""; }

// The options that load the module and the sample components from the test folder.
std::string Servers();

// A file of the source tree, as the programs under Wine see it.
std::string SourceFile(const std::string& relative);

// A scratch folder of the running test, removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    std::string Path(const std::string& name) const { return folder_ + name; }
    // Writes the bytes into a file of the folder and gives its quoted path.
    std::string Save(const std::string& name, const std::string& bytes) const;

private:
    ScratchDirectory dir_;
    std::string folder_;
};

// Writes audio as a WAV file; fails the test on error.
void WriteWav(const std::string& path, const host::WavAudio& audio);
host::WavAudio ReadWav(const std::string& path);

}  // namespace qx::test
