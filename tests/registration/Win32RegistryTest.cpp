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
constexpr wchar_t kTestKey[] = L"Software\\" QX_TEST_KEY_NAME;

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue Read(const wchar_t* name) {
    RegKey key;
    RawValue value;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return value;
    value.data.resize(size);
    RegQueryValueExW(key.Get(), name, nullptr, &value.type, value.data.data(), &size);
    return value;
}

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

    RawValue v = Read(nullptr);
    EXPECT_EQ(DWORD(REG_SZ), v.type);
    EXPECT_EQ(Utf16(L"default", 8), v.data);
    v = Read(L"s");
    EXPECT_EQ(Utf16(L"It's", 5), v.data);
    v = Read(L"e");
    EXPECT_EQ(DWORD(REG_SZ), v.type);
    EXPECT_EQ(Utf16(L"", 1), v.data);
    v = Read(L"d");
    EXPECT_EQ(DWORD(REG_DWORD), v.type);
    EXPECT_EQ((std::vector<BYTE>{0x78, 0x56, 0x34, 0x12}), v.data);
    v = Read(L"b");
    EXPECT_EQ(DWORD(REG_BINARY), v.type);
    EXPECT_EQ((std::vector<BYTE>{0x0A, 0xFF, 0x10}), v.data);
    v = Read(L"m");
    EXPECT_EQ(DWORD(REG_MULTI_SZ), v.type);
    EXPECT_EQ(Utf16(L"one\0two\0\0", 9), v.data);  // each string ended, then two zeros

    // Numbers are read as automation reads them; text is no number.
    EXPECT_EQ(DISP_E_TYPEMISMATCH,
              RegScript::Run(L"HKCU { NoRemove Software { val qxd = d 'ten' } }", registry, RegScript::Mode::Register));

    EXPECT_EQ(S_OK, RegScript::Run(script, registry, RegScript::Mode::Unregister));
    RegKey gone;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, gone.Put()));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, gone.Put()));
}

TEST(ScriptRunner, MissingScriptResourceIsTheWin32Error) {
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
              ScriptRunner::Run(999, RegScript::Mode::Unregister, ReplacementList()));
}

}  // namespace
}  // namespace qx::test
