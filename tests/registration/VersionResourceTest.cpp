// The built module's version resource carries the project version the build gives, and
// its name strings.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "tests/registration/BuiltModule.h"

namespace qx::test {
namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &text, &length) || !text) return L"<none>";
    return static_cast<const wchar_t*>(text);
}

TEST(VersionResource, CarriesTheProjectVersionAndTheModuleName) {
    const std::string project = QX_PROJECT_VERSION;
    unsigned parts[4] = {};
    ASSERT_EQ(4, std::sscanf(project.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3])) << project;

    const std::wstring path = BuiltModulePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(DWORD(parts[0] << 16 | parts[1]), fixed->dwFileVersionMS);
    EXPECT_EQ(DWORD(parts[2] << 16 | parts[3]), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    const std::wstring text(project.begin(), project.end());
    EXPECT_EQ(text, VersionString(block, L"FileVersion"));
    EXPECT_EQ(text, VersionString(block, L"ProductVersion"));
    EXPECT_EQ(L"QXAPOMain.dll", VersionString(block, L"InternalName"));
    EXPECT_EQ(L"QXAPOMain.dll", VersionString(block, L"OriginalFilename"));

    const ModuleHandle module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    wchar_t name[32] = {};
    ASSERT_GT(LoadStringW(module.Get(), 100, name, 32), 0);
    EXPECT_STREQ(L"QXAPOMain", name);
}

}  // namespace
}  // namespace qx::test
