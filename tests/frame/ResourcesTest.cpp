// The module's version resource and project-name string (the test program carries the
// same resource script as the DLL).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &text, &length) || !text) return L"";
    return static_cast<const wchar_t*>(text);
}
}  // namespace

TEST(Resources, VersionAndProjectName) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(L"QXAPOMain.dll", VersionString(block, L"InternalName"));
    EXPECT_EQ(L"QXAPOMain.dll", VersionString(block, L"OriginalFilename"));
    EXPECT_EQ(L"1.0.0.1", VersionString(block, L"FileVersion"));

    wchar_t name[32] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), 100, name, 32), 0);
    EXPECT_STREQ(L"QXAPOMain", name);
}
