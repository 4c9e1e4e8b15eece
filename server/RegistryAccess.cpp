#include "server/RegistryAccess.h"

namespace qx {

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
}  // namespace

Status RegistryAccess::ParseDword(const std::wstring& text, std::uint32_t* out) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == L'+') ++i;
    const size_t digitsStart = i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + std::uint64_t(text[i] - L'0');
        if (value > 0xFFFFFFFFull) return status::kOverflow;
    }
    const bool hasDigits = i > digitsStart;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (!hasDigits || i != text.size()) return status::kTypeMismatch;
    *out = static_cast<std::uint32_t>(value);
    return status::kOk;
}

}  // namespace qx
