// The registration scripts and the type library as stored in the built module.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/Handles.h"
#include "tests/registration/ModuleScripts.h"
#include "tests/registration/BuiltModule.h"

namespace qx::test {
namespace {

// The raw bytes of a resource, or "<missing>".
std::string ResourceBytes(HMODULE module, UINT id, const wchar_t* type) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : "<missing>";
}

TEST(ScriptResources, AreStoredByteForByte) {
    const ModuleHandle module(LoadLibraryExW(BuiltModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    EXPECT_EQ(kAppIdScript, ResourceBytes(module.Get(), 101, L"REGISTRY"));
    for (const ScriptClass& c : kScriptClasses)
        EXPECT_EQ(ClassScript(c), ResourceBytes(module.Get(), UINT(c.resource), L"REGISTRY")) << c.name;
    EXPECT_EQ("MSFT", ResourceBytes(module.Get(), 1, L"TYPELIB").substr(0, 4));
}

}  // namespace
}  // namespace qx::test
