// The interpreter over the Win32 registry: the data each value type stores, and the
// script runner's resource errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Handles.h"
#include "server/RegScript.h"
#include "server/ScriptRunner.h"
#include "server/Win32Registry.h"

namespace qx::test {
namespace {

#define QX_TEST_KEY_NAME L"QXAPOMain registration test"

std::vector<BYTE> Utf16(const wchar_t* text, size_t charactersWithZeros) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    return std::vector<BYTE>(bytes, bytes + charactersWithZeros * sizeof(wchar_t));
}

TEST(Win32Registry, EveryValueTypeStoresItsData) {
    const std::wstring script = L"HKCU { NoRemove Software { '" QX_TEST_KEY_NAME
                                L"' = s 'default' { val s = s 'It''s' val e = s '' val d = d '305419896' "
                                L"val b = b '0aFf10' val m = m 'one\\0two' } } }";
    Win32Registry registry;
    ASSERT_EQ(S_OK, RegScript::Run(script, registry, RegScript::Mode::Register));
    const struct {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    } expected[] = {
        {nullptr, REG_SZ, Utf16(L"default", 8)},
        {L"s", REG_SZ, Utf16(L"It's", 5)},
        {L"e", REG_SZ, Utf16(L"", 1)},
        {L"d", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {L"b", REG_BINARY, {0x0A, 0xFF, 0x10}},
        {L"m", REG_MULTI_SZ, Utf16(L"one\0two\0\0", 9)},  // each string ended, then two zeros
    };
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\" QX_TEST_KEY_NAME, 0, KEY_READ, key.Put()));
    for (const auto& e : expected) {
        DWORD type = REG_NONE, size = 64;
        std::vector<BYTE> data(size);
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), e.name, nullptr, &type, data.data(), &size));
        data.resize(size);
        EXPECT_EQ(e.type, type) << (e.name ? e.name : L"(default)");
        EXPECT_EQ(e.data, data) << (e.name ? e.name : L"(default)");
    }
    key.Reset();
    EXPECT_EQ(S_OK, RegScript::Run(script, registry, RegScript::Mode::Unregister));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\" QX_TEST_KEY_NAME, 0, KEY_READ, key.Put()));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Put()));
}

TEST(ScriptRunner, MissingScriptResourceIsTheWin32Error) {
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
              ScriptRunner::Run(999, RegScript::Mode::Unregister, ReplacementList()));
}

}  // namespace
}  // namespace qx::test
