#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/FormatText.h"

namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kInvalidArg = int32_t(0x80070057u);
constexpr int32_t kInsufficient = int32_t(0x8007007Au);

// Formats into a roomy buffer and returns the text, expecting success.
template <class... A>
std::wstring Fmt(const wchar_t* format, A... args) {
    wchar_t buffer[256];
    const int32_t hr = qx::FormatText(buffer, 256, format, args...);
    EXPECT_EQ(hr, kOk) << "format " << testing::PrintToString(std::wstring(format));
    return buffer;
}

struct Buffer {
    wchar_t text[16];
    Buffer() {
        for (wchar_t& c : text) c = L'#';
    }
    size_t Untouched() const {
        size_t n = 0;
        for (wchar_t c : text) n += c == L'#';
        return n;
    }
};

TEST(FormatText, CapacityOutOfRangeWritesNothing) {
    Buffer b;
    EXPECT_EQ(qx::FormatText(b.text, 0, L"abc"), kInvalidArg);
    EXPECT_EQ(qx::FormatText(b.text, 2147483648u, L"abc"), kInvalidArg);
    EXPECT_EQ(qx::FormatText(b.text, SIZE_MAX, L"%d", 1), kInvalidArg);
    EXPECT_EQ(b.Untouched(), 16u);
    // The largest capacity is allowed: only the characters formatted are written.
    EXPECT_EQ(qx::FormatText(b.text, 2147483647u, L"x%dy", 5), kOk);
    EXPECT_EQ(std::wstring(b.text), L"x5y");
    EXPECT_EQ(b.Untouched(), 12u);
}

TEST(FormatText, NullArgumentsAreRejected) {
    EXPECT_EQ(qx::FormatText(nullptr, 8, L"abc"), kInvalidArg);
    Buffer b;
    EXPECT_EQ(qx::FormatText(b.text, 8, nullptr), kInvalidArg);
    EXPECT_EQ(b.text[0], 0);  // still a terminated (empty) text
}

TEST(FormatText, LongResultsAreCutAtCapacityMinusOne) {
    Buffer b;
    EXPECT_EQ(qx::FormatText(b.text, 5, L"%S%d", "abcdef", 1234), kInsufficient);
    EXPECT_EQ(std::wstring(b.text), L"abcd");
    EXPECT_EQ(b.Untouched(), 11u);  // nothing written beyond the terminator

    Buffer exact;  // exactly capacity - 1 characters still fit
    EXPECT_EQ(qx::FormatText(exact.text, 11, L"%10d", 42), kOk);
    EXPECT_EQ(std::wstring(exact.text), L"        42");
    Buffer one_short;
    EXPECT_EQ(qx::FormatText(one_short.text, 10, L"%10d", 42), kInsufficient);
    EXPECT_EQ(std::wstring(one_short.text), L"        4");

    Buffer tiny;  // capacity 1 holds the terminator only
    EXPECT_EQ(qx::FormatText(tiny.text, 1, L""), kOk);
    EXPECT_EQ(tiny.text[0], 0);
    EXPECT_EQ(qx::FormatText(tiny.text, 1, L"%d", 7), kInsufficient);
    EXPECT_EQ(tiny.text[0], 0);
    EXPECT_EQ(tiny.Untouched(), 15u);
}

TEST(FormatText, HugeFieldsAreCutWithoutRunningAway) {
    Buffer b;
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%2147483647d", 1), kInsufficient);
    EXPECT_EQ(std::wstring(b.text), L"       ");
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%99999999999999999999d|", 1), kInsufficient);
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%*d", INT_MIN, 1), kInsufficient);
    EXPECT_EQ(std::wstring(b.text), L"1      ");
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%.2147483647d", 1), kInsufficient);
    EXPECT_EQ(std::wstring(b.text), L"0000000");
    // %g drops the trailing zeros of a huge precision without walking through them.
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%.2147483647g", 0.5), kOk);
    EXPECT_EQ(std::wstring(b.text), L"0.5");
    EXPECT_EQ(qx::FormatText(b.text, 8, L"%.*g|", 2000000000, 1e-300), kInsufficient);
    EXPECT_EQ(std::wstring(b.text), L"1.00000");
}

TEST(FormatText, TheModulesOwnTexts) {
    EXPECT_EQ(Fmt(L"Bass Cut-off Frequency: %3dHz", 80), L"Bass Cut-off Frequency:  80Hz");
    EXPECT_EQ(Fmt(L"Bass Level: %3ddB", 0 - 12), L"Bass Level: -12dB");
    EXPECT_EQ(Fmt(L"Bass Level: %3ddB", 12), L"Bass Level:  12dB");
    EXPECT_EQ(Fmt(L"Quellix Effect: Equalizer\n\nStatus: %S", "Enabled"), L"Quellix Effect: Equalizer\n\nStatus: Enabled");
}

TEST(FormatText, Integers) {
    EXPECT_EQ(Fmt(L"%d|%i|%u", INT_MIN, -7, 4294967295u), L"-2147483648|-7|4294967295");
    EXPECT_EQ(Fmt(L"%x|%X|%#x|%#X|%#x", 0xbeefu, 0xbeefu, 255u, 255u, 0u), L"beef|BEEF|0xff|0XFF|0");
    EXPECT_EQ(Fmt(L"%o|%#o|%#o|%#.0o", 8u, 8u, 0u, 0u), L"10|010|0|0");
    EXPECT_EQ(Fmt(L"%+d|%+d|% d|% d|%+u", 5, -5, 5, -5, 5u), L"+5|-5| 5|-5|5");
    EXPECT_EQ(Fmt(L"[%05d][%-5d][%-05d][%5.3d][%05.3d]", -42, -42, 42, 7, 7), L"[-0042][-42  ][42   ][  007][  007]");
    EXPECT_EQ(Fmt(L"[%.0d][%.d][%3.0d][%.3d]", 0, 0, 0, -7), L"[][][   ][-007]");
    EXPECT_EQ(Fmt(L"[%#08x][%+06d][% 05d]", 0x1fu, 42, 42), L"[0x00001f][+00042][ 0042]");
    EXPECT_EQ(Fmt(L"[%*d][%*d][%.*d][%.*d]", 4, 1, -4, 1, 3, 1, -1, 1), L"[   1][1   ][001][1]");
}

TEST(FormatText, IntegerSizePrefixes) {
    EXPECT_EQ(Fmt(L"%lld|%llu", LLONG_MIN, ULLONG_MAX), L"-9223372036854775808|18446744073709551615");
    EXPECT_EQ(Fmt(L"%I64d|%I64X|%I32d|%I32x", -1ll, 0x123456789ABCDEFull, -1, 0xFFFFFFFFu),
              L"-1|123456789ABCDEF|-1|ffffffff");
    EXPECT_EQ(Fmt(L"%hd|%hu|%hhd|%hhu", 65535, 65537, 255, 257), L"-1|1|-1|1");
    EXPECT_EQ(Fmt(L"%zu|%Iu|%Id|%td|%jd", size_t(1) << 40, size_t(3), ptrdiff_t(-2), ptrdiff_t(-3), intmax_t(4)),
              L"1099511627776|3|-2|-3|4");
    EXPECT_EQ(Fmt(L"%ld|%lu|%lx", -3l, 3ul, 0xABCul), L"-3|3|abc");
    EXPECT_EQ(Fmt(L"%p", reinterpret_cast<void*>(0x1234)), sizeof(void*) == 8 ? L"0000000000001234" : L"00001234");
}

TEST(FormatText, WideAndNarrowTextFollowTheWideConventions) {
    EXPECT_EQ(Fmt(L"%s/%S", L"wide", "narrow"), L"wide/narrow");
    EXPECT_EQ(Fmt(L"%ls/%ws/%hs/%lS/%hS", L"a", L"b", "c", L"d", "e"), L"a/b/c/d/e");
    EXPECT_EQ(Fmt(L"%c%C%lc%hc%wc%hC%lC", L'\x3A9', 'b', L'c', 'd', L'e', 'f', L'\x20AC'), L"\x3A9" L"bcdef\x20AC");
    // Narrow bytes become the code units of the same value.
    EXPECT_EQ(Fmt(L"%S|%C", "caf\xE9", '\xFF'), L"caf\xE9|\xFF");
    EXPECT_EQ(Fmt(L"[%.3s][%.3S][%6s][%-6S][%06s][%.0s]", L"abcdef", "abcdef", L"ab", "ab", L"ab", L"x"),
              L"[abc][abc][    ab][ab    ][0000ab][]");
    EXPECT_EQ(Fmt(L"[%3c][%-3C]", L'x', 'y'), L"[  x][y  ]");
    EXPECT_EQ(Fmt(L"%s|%S|%.2s", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr),
                  static_cast<const wchar_t*>(nullptr)),
              L"(null)|(null)|(n");
}

TEST(FormatText, FloatingPoint) {
    EXPECT_EQ(Fmt(L"%f|%.2f|%.0f|%#.0f|%.1f", 1.0, 3.14159, 2.71828, 3.0, -0.05), L"1.000000|3.14|3|3.|-0.1");
    // Exact ties round to even; 0.15 is not a tie (its double lies below 0.15).
    EXPECT_EQ(Fmt(L"%.0f %.0f %.0f %.0f %.1f %.2f", 0.5, 1.5, 2.5, -3.5, 0.15, 1.005), L"0 2 2 -4 0.1 1.00");
    EXPECT_EQ(Fmt(L"%e|%.2E|%.0e|%e", 12345.678, -0.000123456, 9.5, 0.0), L"1.234568e+04|-1.23E-04|1e+01|0.000000e+00");
    EXPECT_EQ(Fmt(L"%g|%g|%g|%g|%g|%G", 0.0001, 0.00001, 123456.0, 1234567.0, 100.0, 1e-10),
              L"0.0001|1e-05|123456|1.23457e+06|100|1E-10");
    EXPECT_EQ(Fmt(L"%#g|%.3g|%.0g|%g|%#.3g", 1.0, 1234.5, 0.25, 0.0, 100.0), L"1.00000|1.23e+03|0.2|0|100.");
    EXPECT_EQ(Fmt(L"[%10.3f][%-10.3f][%010.3f][%+.1f][% .1f][%+08.2e]", 3.14159, 3.14159, -3.14159, 2.0, 2.0, 1.5),
              L"[     3.142][3.142     ][-00003.142][+2.0][ 2.0][+1.50e+00]");
    EXPECT_EQ(Fmt(L"%f|%e|%+g", -0.0, -0.0, 0.0), L"-0.000000|-0.000000e+00|+0");
    EXPECT_EQ(Fmt(L"%f|%F|%e|%5.1f|%-6f|%05f", INFINITY, -INFINITY, NAN, INFINITY, -INFINITY, INFINITY),
              L"inf|-INF|nan|  inf|-inf  |  inf");
    EXPECT_EQ(Fmt(L"%.3e|%.20f", DBL_TRUE_MIN, 0.1), L"4.941e-324|0.10000000000000000555");
    EXPECT_EQ(Fmt(L"%.0f", 1e22), L"10000000000000000000000");
    EXPECT_EQ(Fmt(L"%.3e|%Lf|%*.*f", DBL_MAX, static_cast<long double>(0.5), 6, 2, 9.999), L"1.798e+308|0.500000| 10.00");
    EXPECT_EQ(Fmt(L"%.15g|%.17g", 0.1, 0.1), L"0.1|0.10000000000000001");
    // Hexadecimal floating point is shown as written; its argument is still skipped.
    EXPECT_EQ(Fmt(L"%a|%d", 1.0, 7), L"%a|7");
}

TEST(FormatText, LongFloatingPointTextIsCut) {
    wchar_t buffer[32];
    EXPECT_EQ(qx::FormatText(buffer, 32, L"%f", DBL_MAX), kInsufficient);
    EXPECT_EQ(std::wstring(buffer), L"1797693134862315708145274237317");
    EXPECT_EQ(qx::FormatText(buffer, 8, L"%.1000000000f", 1.0), kInsufficient);
    EXPECT_EQ(std::wstring(buffer), L"1.00000");
}

#if !defined(_WIN32)
// The C library of the native build is correctly rounded (half to even on exact ties) and
// follows the same layout rules, so it serves as a reference for many random values.
TEST(FormatText, FloatingPointMatchesTheNativeCLibrary) {
    std::mt19937_64 random(12345);
    const char* formats[] = {"%f", "%.0f", "%.3f", "%.17f", "%e", "%.0e", "%.12E", "%g", "%.1g", "%.10g",
                             "%#g", "%#.3g", "%+12.4f", "%-14.3e", "%012.5g"};
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
        for (const char* format : formats) {
            char expected[2048];
            std::snprintf(expected, sizeof expected, format, v);
            std::wstring wideFormat(format, format + std::strlen(format));
            wchar_t got[2048];
            ASSERT_EQ(qx::FormatText(got, 2048, wideFormat.c_str(), v), kOk);
            ASSERT_EQ(std::wstring(got), std::wstring(expected, expected + std::strlen(expected)))
                << format << " of " << std::hexfloat << v;
        }
    }
}
#endif

TEST(FormatText, PercentAndUnknownConversions) {
    EXPECT_EQ(Fmt(L"100%% sure"), L"100% sure");
    EXPECT_EQ(Fmt(L"%y|%-5q|%n|%"), L"%y|%-5q|%n|%");
    // An unknown conversion consumes no argument: the next one still lines up.
    EXPECT_EQ(Fmt(L"%k%d", 9), L"%k9");
}

}  // namespace
