#pragma once
// The module file's path and the forms of it that registration needs.
#include <windows.h>

#include <string>

namespace qx {

class ModulePath {
public:
    // Longest path accepted; a path that fills a MAX_PATH buffer fails.
    static constexpr size_t kMaxLength = MAX_PATH - 1;
    // Longest text of the path with its quotes doubled.
    static constexpr size_t kMaxQuotedLength = 2 * MAX_PATH - 1;

    // The full path of `module`'s file; HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)
    // when it is longer than kMaxLength.
    static HRESULT Get(HMODULE module, std::wstring* path);
    // The path as script text: every single quote doubled, cut at kMaxQuotedLength.
    static std::wstring Quoted(const std::wstring& path);
    // The path with its extension (from the last '.' after the last '\') replaced by
    // `extension`, which is appended when there is none.
    static std::wstring WithExtension(const std::wstring& path, const wchar_t* extension);
    // The directory part: the path cut after its last '\', '/' or ':'.
    static std::wstring Directory(const std::wstring& path);
};

}  // namespace qx
