#pragma once
// A scratch directory under the temporary folder, removed with everything in it.
#include <string>

namespace qx::test {

class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::wstring& name);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::wstring& Path() const { return path_; }
    // Copies a file into the directory (creating subdirectories of `relative`).
    std::wstring Copy(const std::wstring& from, const std::wstring& relative);

private:
    std::wstring path_;
};

}  // namespace qx::test
