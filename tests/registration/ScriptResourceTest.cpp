// The registration scripts as stored in the built module name the identifiers of its type
// library, which is compiled from the interface definitions.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
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

// Every identifier ("{...}" text that parses as a GUID) a script names.
std::vector<GUID> IdentifiersIn(const std::string& script) {
    std::vector<GUID> found;
    for (size_t at = script.find('{'); at != std::string::npos; at = script.find('{', at + 1)) {
        GUID id;
        if (script.size() - at >= 38 && script[at + 37] == '}' &&
            SUCCEEDED(CLSIDFromString(std::wstring(script.begin() + at, script.begin() + at + 38).c_str(), &id)))
            found.push_back(id);
    }
    return found;
}

// Each class script names its own class and the library, and nothing else; the
// application script names no identifier of the library.
TEST(ScriptResources, NameTheIdentifiersOfTheTypeLibrary) {
    struct ClassScript {
        UINT resource;
        const wchar_t* name;
    };
    constexpr ClassScript kClassScripts[] = {
        {104, L"QXGFXLib"}, {102, L"QXLFXLib"}, {103, L"QXMicLFXLib"}, {105, L"QXUIExtLib"}};
    const ModuleHandle module(LoadLibraryExW(BuiltModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(BuiltModulePath().c_str(), REGKIND_NONE, library.Put()));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attr));
    const GUID libraryId = attr->guid;
    library->ReleaseTLibAttr(attr);

    EXPECT_TRUE(IdentifiersIn(ResourceBytes(module.Get(), 101, L"REGISTRY")).empty());
    for (const ClassScript& c : kClassScripts) {
        int classes = 0, libraries = 0;
        for (const GUID& id : IdentifiersIn(ResourceBytes(module.Get(), c.resource, L"REGISTRY"))) {
            if (IsEqualGUID(id, libraryId)) {
                ++libraries;
                continue;
            }
            ComPtr<ITypeInfo> info;
            BSTR name = nullptr;
            ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(id, info.Put())) << c.name;
            info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            EXPECT_EQ(std::wstring(c.name), name ? std::wstring(name) : L"") << c.name;
            SysFreeString(name);
            ++classes;
        }
        EXPECT_EQ(3, classes) << c.name;  // two ProgIDs and the class key
        EXPECT_EQ(1, libraries) << c.name;
    }
}

}  // namespace
}  // namespace qx::test
