// MinGW's own formatted output (correctly rounded) stands in for the system C library,
// which Wine's runtime provides and which prints long fractions differently.
#define __USE_MINGW_ANSI_STDIO 1
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "common/FormatText.h"

namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kInvalidArg = int32_t(0x80070057u);
constexpr int32_t kInsufficient = int32_t(0x8007007Au);
const wchar_t* const kNothing = L"<nothing written>";

// Formats into a buffer of '#' and checks the status, the text (any text when null), and
// that nothing was written past its terminator.
template <class... A>
void Check(size_t capacity, int32_t hr, const wchar_t* text, const wchar_t* format, A... args) {
    wchar_t buffer[64];
    std::wmemset(buffer, L'#', 64);
    EXPECT_EQ(qx::FormatText(buffer, capacity, format, args...), hr) << (format ? format : L"(null)");
    if (text == kNothing) {
        EXPECT_EQ(buffer[0], L'#');
    } else if (text) {
        EXPECT_EQ(std::wstring(text), std::wstring(buffer));
        for (size_t i = std::wcslen(text) + 1; i < 64; ++i) ASSERT_EQ(buffer[i], L'#') << "written at " << i;
    }
}

template <class... A>
std::wstring Fmt(const wchar_t* format, A... args) {
    wchar_t buffer[256];
    EXPECT_EQ(qx::FormatText(buffer, 256, format, args...), kOk) << format;
    return buffer;
}

TEST(FormatText, CapacityRefusalsAndCuts) {
    Check(0, kInvalidArg, kNothing, L"abc");
    Check(2147483648u, kInvalidArg, kNothing, L"abc");
    Check(2147483647u, kOk, L"x5y", L"x%dy", 5);  // the largest capacity: only the text is written
    Check(8, kInvalidArg, L"", static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(qx::FormatText(nullptr, 8, L"abc"), kInvalidArg);
    Check(5, kInsufficient, L"abcd", L"%S%d", "abcdef", 1234);
    Check(11, kOk, L"        42", L"%10d", 42);  // exactly capacity - 1 characters fit
    Check(10, kInsufficient, L"        4", L"%10d", 42);
    Check(1, kOk, L"", L"");
    Check(1, kInsufficient, L"", L"%d", 7);
    // Huge fields and precisions are cut without running away.
    Check(8, kInsufficient, L"       ", L"%2147483647d", 1);
    Check(8, kInsufficient, nullptr, L"%99999999999999999999d|", 1);  // any text
    Check(8, kInsufficient, L"1      ", L"%*d", INT_MIN, 1);
    Check(8, kInsufficient, L"0000000", L"%.2147483647d", 1);
    Check(8, kOk, L"0.5", L"%.2147483647g", 0.5);
    Check(8, kInsufficient, L"1.00000", L"%.*g|", 2000000000, 1e-300);
    Check(32, kInsufficient, L"1797693134862315708145274237317", L"%f", DBL_MAX);
}

TEST(FormatText, ConversionsOfTheWideConventions) {
    EXPECT_EQ(Fmt(L"[%*d][%*d][%.*d][%.*d][%#.0o]", 4, 1, -4, 1, 3, 1, -1, 1, 0), L"[   1][1   ][001][1][0]");
    EXPECT_EQ(Fmt(L"%I64d|%I64X|%I32d|%I32x", -1ll, 0x123456789ABCDEFull, -1, 0xFFFFFFFFu), L"-1|123456789ABCDEF|-1|ffffffff");
    EXPECT_EQ(Fmt(L"%hd|%hu|%hhd|%hhu", 65535, 65537, 255, 257), L"-1|1|-1|1");
    EXPECT_EQ(Fmt(L"%zu|%Iu|%Id|%td|%jd", size_t(1) << 40, size_t(3), ptrdiff_t(-2), ptrdiff_t(-3), intmax_t(4)),
              L"1099511627776|3|-2|-3|4");
    EXPECT_EQ(Fmt(L"%lld|%llu|%ld|%lu|%lx", LLONG_MIN, ULLONG_MAX, -3l, 3ul, 0xABCul),
              L"-9223372036854775808|18446744073709551615|-3|3|abc");
    EXPECT_EQ(Fmt(L"%p", reinterpret_cast<void*>(0x1234)), sizeof(void*) == 8 ? L"0000000000001234" : L"00001234");
    // %s is wide and %S narrow in a wide format; narrow bytes become code units of the same value.
    EXPECT_EQ(Fmt(L"%s/%S/%ls/%ws/%hs/%lS/%hS", L"wide", "narrow", L"a", L"b", "c", L"d", "e"), L"wide/narrow/a/b/c/d/e");
    EXPECT_EQ(Fmt(L"%c%C%lc%hc%wc%hC%lC", L'\x3A9', 'b', L'c', 'd', L'e', 'f', L'\x20AC'), L"\x3A9" L"bcdef\x20AC");
    EXPECT_EQ(Fmt(L"%S|%C", "caf\xE9", '\xFF'), L"caf\xE9|\xFF");
    EXPECT_EQ(Fmt(L"[%.3s][%.3S][%6s][%-6S][%06s][%.0s][%3c][%-3C]", L"abcdef", "abcdef", L"ab", "ab", L"ab", L"x", L'x',
                  'y'),
              L"[abc][abc][    ab][ab    ][0000ab][][  x][y  ]");
    EXPECT_EQ(Fmt(L"%s|%S|%.2s", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr),
                  static_cast<const wchar_t*>(nullptr)),
              L"(null)|(null)|(n");
    EXPECT_EQ(Fmt(L"%f|%F|%e|%5.1f|%-6f|%05f", INFINITY, -INFINITY, NAN, INFINITY, -INFINITY, INFINITY),
              L"inf|-INF|nan|  inf|-inf  |  inf");
    EXPECT_EQ(Fmt(L"%f|%e|%+g|%Lf", -0.0, -0.0, 0.0, static_cast<long double>(0.5)), L"-0.000000|-0.000000e+00|+0|0.500000");
    // Hexadecimal floating point is shown as written, its argument skipped; unknown
    // conversions consume nothing.
    EXPECT_EQ(Fmt(L"%a|%d|100%% sure|%y|%-5q|%n|%k%d|%", 1.0, 7, 9), L"%a|7|100% sure|%y|%-5q|%n|%k9|%");
}

#if !defined(_WIN32) || defined(__MINGW32__)
// The C library of the native build (and MinGW's own) is correctly rounded (half to even on exact ties) and
// follows the same layout rules for numbers, so it serves as a reference for many random
// values in many formats.
TEST(FormatText, NumbersMatchTheNativeCLibrary) {
    const auto same = [](const char* format, auto value) {
        char expected[2048];
        std::snprintf(expected, sizeof expected, format, value);
        wchar_t got[2048];
        ASSERT_EQ(qx::FormatText(got, 2048, std::wstring(format, format + std::strlen(format)).c_str(), value), kOk);
        ASSERT_EQ(std::wstring(got), std::wstring(expected, expected + std::strlen(expected))) << format;
    };
    std::mt19937_64 random(12345);
    const char* floats[] = {"%f", "%.0f", "%.3f", "%.17f", "%e", "%.0e", "%.12E", "%g", "%.1g", "%.10g",
                            "%#g", "%#.3g", "%+12.4f", "%-14.3e", "%012.5g", "%#.0f", "% .1f", "%+08.2e", "%G"};
    const char* ints[] = {"%d", "%i", "%+d", "% d", "%05d", "%-5d|", "%-05d|", "%5.3d", "%05.3d", "%.0d", "%3.0d",
                          "%.3d", "%+06d", "% 05d", "%u", "%x", "%X", "%#x", "%#X", "%o", "%#o", "%#.1o", "%#08x"};
    for (int i = 0; i < 1500; ++i) {
        double v;
        if (i % 4 == 0) {
            uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
            if (!std::isfinite(v)) continue;
        } else {
            // Values of ordinary size, with short decimal forms that make ties likely.
            v = double(int64_t(random() % 2000001) - 1000000) / double(uint64_t(1) << (random() % 12));
            v *= std::pow(10.0, double(int(random() % 13) - 6));
        }
        const int n = i % 8 == 0 ? int(random()) : int(random() % 2001) - 1000;
        for (const char* format : floats) same(format, v);
        for (const char* format : ints) same(format, i % 3 ? n : n % 2);  // zero often, for the precision rules
    }
    const double specials[] = {0.5, 1.5, 2.5, -3.5, 0.15, 1.005, DBL_TRUE_MIN, DBL_MAX, 1e22, 0.1, 0.0001, 1e-5};
    for (double v : specials)
        for (const char* format : {"%.0f", "%.1f", "%.2f", "%.3e", "%.20f", "%.15g", "%.17g", "%g", "%.0g"})
            same(format, v);
}
#endif

}  // namespace
