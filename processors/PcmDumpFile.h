#pragma once
// The optional raw PCM dump of a processor's output: headerless 16-bit little-endian
// stereo, switched on by a DWORD under the current user's key and written to a fixed
// path. Every failure on this path is silent: the dump simply stays off.
#include <cstdint>
#include <cstdio>
#include <memory>

namespace qx {

class PcmDumpFile {
public:
    PcmDumpFile() = default;
    PcmDumpFile(const PcmDumpFile&) = delete;
    PcmDumpFile& operator=(const PcmDumpFile&) = delete;

    // Reads `valueName` under HKEY_CURRENT_USER\`keyPath`; when it is nonzero, creates or
    // truncates `path` for writing, shared with nobody. Closes any file opened before.
    void OpenIfSwitchedOn(const wchar_t* keyPath, const wchar_t* valueName, const wchar_t* path);
    void Close() { file_.reset(); }
    bool IsOpen() const { return file_ != nullptr; }

    // Appends `frames` stereo frames: left[i * stride] then right[i * stride], each as its
    // own two-byte write, low byte first.
    void Append(const float* left, const float* right, size_t stride, uint32_t frames);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace qx
