#include "processors/FormatText.h"

namespace qx {

// Placeholder until the formatter lands: copies the format text.
int32_t FormatTextV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list) {
    if (capacity == 0 || capacity > 2147483647u) return int32_t(0x80070057u);
    size_t i = 0;
    for (; format[i] && i + 1 < capacity; ++i) buffer[i] = format[i];
    buffer[i] = 0;
    return format[i] ? int32_t(0x8007007Au) : 0;
}

int32_t FormatText(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t hr = FormatTextV(buffer, capacity, format, args);
    va_end(args);
    return hr;
}

}  // namespace qx
