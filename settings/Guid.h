#pragma once
// A GUID with the Windows layout, usable in constexpr tables without Windows headers.
#include <cstdint>

namespace qx {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

constexpr bool operator==(const Guid& a, const Guid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}
constexpr bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

namespace detail {
constexpr uint32_t HexDigit(char c) {
    return (c >= '0' && c <= '9')   ? uint32_t(c - '0')
           : (c >= 'a' && c <= 'f') ? uint32_t(c - 'a' + 10)
           : (c >= 'A' && c <= 'F') ? uint32_t(c - 'A' + 10)
                                    : throw "not a hex digit";
}
constexpr uint32_t Hex(const char* s, int digits) {
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i) v = v * 16 + HexDigit(s[i]);
    return v;
}
}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" at compile time.
constexpr Guid ParseGuid(const char (&s)[39]) {
    if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
        throw "malformed GUID";
    Guid g{detail::Hex(s + 1, 8), uint16_t(detail::Hex(s + 10, 4)), uint16_t(detail::Hex(s + 15, 4)), {}};
    g.data4[0] = uint8_t(detail::Hex(s + 20, 2));
    g.data4[1] = uint8_t(detail::Hex(s + 22, 2));
    for (int i = 0; i < 6; ++i) g.data4[2 + i] = uint8_t(detail::Hex(s + 25 + 2 * i, 2));
    return g;
}

}  // namespace qx
