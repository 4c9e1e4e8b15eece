#pragma once
// A bounded wide-string formatter with the contract of StringCchPrintfW and the Windows
// wide-printf conventions (%s wide, %S narrow). Pure C++: identical on every platform.
#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace qx {

// Returns 0 (S_OK), 0x8007007A when the text was cut at capacity - 1, 0x80070057
// (E_INVALIDARG, nothing written) for capacity 0 or above 2147483647.
int32_t FormatText(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);
int32_t FormatTextV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);

}  // namespace qx
