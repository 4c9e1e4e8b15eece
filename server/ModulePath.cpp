#include "server/ModulePath.h"

namespace qx {

HRESULT ModulePath::Get(HMODULE module, std::wstring* path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0) {
        const DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error ? error : ERROR_MOD_NOT_FOUND);
    }
    if (length > kMaxLength) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path->assign(buffer, length);
    return S_OK;
}

std::wstring ModulePath::Quoted(const std::wstring& path) {
    std::wstring out;
    out.reserve(path.size() * 2);
    for (wchar_t c : path) {
        out.push_back(c);
        if (c == L'\'') out.push_back(c);
    }
    if (out.size() > kMaxQuotedLength) out.resize(kMaxQuotedLength);
    return out;
}

std::wstring ModulePath::WithExtension(const std::wstring& path, const wchar_t* extension) {
    const size_t slash = path.rfind(L'\\');
    const size_t dot = path.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

std::wstring ModulePath::Directory(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace qx
