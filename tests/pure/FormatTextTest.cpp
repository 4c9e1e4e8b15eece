#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "processors/FormatText.h"

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

TEST(FormatText, PercentAndUnknownConversions) {
    EXPECT_EQ(Fmt(L"100%% sure"), L"100% sure");
    EXPECT_EQ(Fmt(L"%y|%-5q|%n|%"), L"%y|%-5q|%n|%");
    // An unknown conversion consumes no argument: the next one still lines up.
    EXPECT_EQ(Fmt(L"%k%d", 9), L"%k9");
}

}  // namespace
