#include "tests/support/ScratchDirectory.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

namespace qx::test {

ScratchDirectory::ScratchDirectory(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name;
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;  // what cannot be removed stays; the next run reuses the folder
    std::filesystem::remove_all(path_, ignored);
}

std::wstring ScratchDirectory::Copy(const std::wstring& from, const std::wstring& relative) {
    std::wstring to = path_;
    size_t start = 0;
    for (size_t slash; (slash = relative.find(L'\\', start)) != std::wstring::npos; start = slash + 1) {
        to += L"\\" + relative.substr(start, slash - start);
        CreateDirectoryW(to.c_str(), nullptr);
    }
    to += L"\\" + relative.substr(start);
    return CopyFileW(from.c_str(), to.c_str(), FALSE) ? to : std::wstring();
}

}  // namespace qx::test
