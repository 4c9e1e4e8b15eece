// DllRegisterServer and DllUnregisterServer of the built module against the registry
// of this test's own Wine prefix.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "server/ModulePath.h"
#include "server/ModuleTypeLib.h"
#include "tests/registration/BuiltModule.h"

namespace qx::test {
namespace {

// The classes, application and type library identifiers that registration must write.
struct ScriptClass {
    const wchar_t* name;
    const wchar_t* clsid;
};
constexpr ScriptClass kScriptClasses[] = {
    {L"QXGFXLib", L"{23334AEA-8A5F-4794-A092-CBC24957FF00}"},
    {L"QXLFXLib", L"{32F6E317-3CC6-4B29-A810-911C62895185}"},
    {L"QXMicLFXLib", L"{23DA0710-3679-4E19-9736-9BAC5DE8F179}"},
    {L"QXUIExtLib", L"{728D8FF0-ECA3-4CEC-A120-7DC001059E0D}"},
};
const std::wstring kAppId = L"{637833AA-D96E-4A98-8894-2F22D5B7E211}";
const std::wstring kLibId = L"{C3A7D52C-BD07-46A6-8179-997334109904}";

const std::wstring kAppIdKey = L"AppID\\" + kAppId;
const std::wstring kAppIdDllKey = L"AppID\\QXAPOMain.DLL";
const std::wstring kTypeLibKey = L"TypeLib\\" + kLibId;
const wchar_t* const kInterfaceIds[] = {
    L"{B1549114-AB53-48A9-B74C-5EAF4C1F9880}", L"{71C5CD9D-5CB8-4448-8AFE-FE51BF7243C8}",
    L"{86A7FBBD-56B3-4C3A-AF30-6F7F0EDBB676}", L"{99B9F60F-FFD3-4D06-B020-CAE0259E307B}"};

std::wstring ClassKey(const ScriptClass& c) { return std::wstring(L"CLSID\\") + c.clsid; }
std::wstring ProgId(const ScriptClass& c) { return std::wstring(L"QXAPOMain.") + c.name; }

// Everything registration touches, for comparing whole states.
std::wstring RegisteredState() {
    std::wstring state = Dump(kAppIdKey) + Dump(kAppIdDllKey) + Dump(kTypeLibKey);
    for (const wchar_t* iid : kInterfaceIds) state += Dump(std::wstring(L"Interface\\") + iid);
    for (const ScriptClass& c : kScriptClasses)
        state += Dump(ClassKey(c)) + Dump(ProgId(c)) + Dump(ProgId(c) + L".1");
    return state;
}

class Registration : public testing::Test {
protected:
    // Every test starts and ends with the module unregistered.
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
        Clean(module_);
    }
    void TearDown() override { Clean(module_); }
    static void Clean(const BuiltModule& module) {
        EXPECT_EQ(S_OK, module.Register());
        EXPECT_EQ(S_OK, module.Unregister());
        ASSERT_EQ(L"", RegisteredState());
    }

    void ExpectRegisteredAt(const std::wstring& modulePath) {
        EXPECT_EQ(L"QXAPOMain", Text(kAppIdKey));
        EXPECT_EQ(kAppId, Text(kAppIdDllKey, L"AppID"));
        for (const ScriptClass& c : kScriptClasses) {
            const std::wstring name = c.name, clsid = c.clsid, key = ClassKey(c);
            EXPECT_EQ(name + L" Class", Text(ProgId(c) + L".1"));
            EXPECT_EQ(clsid, Text(ProgId(c) + L".1\\CLSID"));
            EXPECT_EQ(name + L" Class", Text(ProgId(c)));
            EXPECT_EQ(clsid, Text(ProgId(c) + L"\\CLSID"));
            EXPECT_EQ(ProgId(c) + L".1", Text(ProgId(c) + L"\\CurVer"));
            EXPECT_EQ(name + L" Class", Text(key));
            EXPECT_EQ(kAppId, Text(key, L"AppID"));
            EXPECT_EQ(ProgId(c) + L".1", Text(key + L"\\ProgID"));
            EXPECT_EQ(ProgId(c), Text(key + L"\\VersionIndependentProgID"));
            EXPECT_TRUE(KeyExists(key + L"\\Programmable"));
            EXPECT_EQ(L"<none>", Text(key + L"\\Programmable"));
            EXPECT_EQ(modulePath, Text(key + L"\\InprocServer32"));
            EXPECT_EQ(L"Both", Text(key + L"\\InprocServer32", L"ThreadingModel"));
            EXPECT_EQ(kLibId, Text(key + L"\\TypeLib"));
        }
        EXPECT_EQ(modulePath, Text(kTypeLibKey + L"\\1.0\\409\\win64"));
        for (const wchar_t* iid : kInterfaceIds)
            EXPECT_EQ(kLibId, Text(std::wstring(L"Interface\\") + iid + L"\\TypeLib")) << iid;
    }

    BuiltModule module_;
};

TEST_F(Registration, WritesEveryKeyAndValueAndIsRepeatable) {
    ASSERT_EQ(S_OK, module_.Register());
    ExpectRegisteredAt(module_.Path());
    const std::wstring first = RegisteredState();
    ASSERT_EQ(S_OK, module_.Register());
    EXPECT_EQ(first, RegisteredState());
}

TEST_F(Registration, ClassKeyIsRebuiltWhileProgIdKeysKeepForeignValues) {
    ASSERT_EQ(S_OK, module_.Register());
    const ScriptClass& c = kScriptClasses[1];
    PutText(ClassKey(c), L"Manual", L"by hand");
    PutText(ClassKey(c) + L"\\InprocServer32\\Extra", nullptr, L"by hand");
    PutText(ProgId(c), L"Manual", L"by hand");
    ASSERT_EQ(S_OK, module_.Register());
    EXPECT_EQ(L"<none>", Text(ClassKey(c), L"Manual"));
    EXPECT_FALSE(KeyExists(ClassKey(c) + L"\\InprocServer32\\Extra"));
    EXPECT_EQ(L"by hand", Text(ProgId(c), L"Manual"));
}

TEST_F(Registration, UnregistrationRemovesItsKeysAndKeepsSharedAndForeignOnes) {
    ASSERT_EQ(S_OK, module_.Register());
    const ScriptClass& c = kScriptClasses[3];
    PutText(ProgId(c) + L"\\Foreign", nullptr, L"someone else's");
    ASSERT_EQ(S_OK, module_.Unregister());
    EXPECT_TRUE(KeyExists(L"CLSID"));
    EXPECT_TRUE(KeyExists(L"AppID"));
    EXPECT_FALSE(KeyExists(kAppIdKey));
    EXPECT_FALSE(KeyExists(kAppIdDllKey));
    EXPECT_FALSE(KeyExists(kTypeLibKey));
    for (const ScriptClass& other : kScriptClasses) {
        EXPECT_FALSE(KeyExists(ClassKey(other)));
        EXPECT_FALSE(KeyExists(ProgId(other) + L".1"));
        EXPECT_FALSE(KeyExists(ProgId(other) + L"\\CLSID"));
        EXPECT_FALSE(KeyExists(ProgId(other) + L"\\CurVer"));
    }
    EXPECT_TRUE(KeyExists(ProgId(c) + L"\\Foreign"));
    DeleteTree(ProgId(c));
}

TEST_F(Registration, UnregisteringAnUnregisteredModuleFailsAtTheTypeLibraryAndKeepsTheAppId) {
    // Only the AppID keys are there, as after a registration cut short.
    PutText(kAppIdKey, nullptr, L"QXAPOMain");
    PutText(kAppIdDllKey, L"AppID", kAppId.c_str());
    // What the system answers for a library that is not registered.
    const HRESULT expected = UnRegisterTypeLib(GUID{0xC3A7D52C, 0xBD07, 0x46A6, {0x81, 0x79, 0x99, 0x73, 0x34, 0x10,
                                                                                 0x99, 0x04}},
                                               1, 0, 0x0409, SYS_WIN64);
    ASSERT_TRUE(FAILED(expected));
    EXPECT_EQ(expected, module_.Unregister());
    EXPECT_EQ(L"QXAPOMain", Text(kAppIdKey));
    EXPECT_EQ(kAppId, Text(kAppIdDllKey, L"AppID"));
}

TEST_F(Registration, CallersThreadLocaleIsRestored) {
    const LCID original = GetThreadLocale();
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));
    EXPECT_EQ(S_OK, module_.Register());
    EXPECT_EQ(german, GetThreadLocale());
    EXPECT_EQ(S_OK, module_.Unregister());
    EXPECT_EQ(german, GetThreadLocale());
    EXPECT_TRUE(FAILED(module_.Unregister()));  // the failure path too
    EXPECT_EQ(german, GetThreadLocale());
    SetThreadLocale(original);
}

TEST_F(Registration, PathWithAQuoteIsWrittenWithOneQuote) {
    ScratchDirectory dir(L"qx reg 'quoted'");
    const std::wstring copy = dir.Copy(module_.Path(), L"It's here\\QXAPOMain.dll");
    ASSERT_FALSE(copy.empty());
    {
        BuiltModule quoted(copy);
        ASSERT_TRUE(quoted.Loaded());
        ASSERT_EQ(S_OK, quoted.Register());
        ExpectRegisteredAt(copy);
        EXPECT_EQ(S_OK, quoted.Unregister());
    }
    EXPECT_EQ(L"", RegisteredState());
}

TEST_F(Registration, PathOfMaxPathCharactersIsRefused) {
    ScratchDirectory dir(L"qx reg long");
    std::wstring relative;
    const size_t fixed = dir.Path().size() + 1 + std::wstring(L"QXAPOMain.dll").size();
    for (size_t length = fixed; length + 11 <= MAX_PATH; length += 11) relative += L"dddddddddd\\";
    relative += std::wstring(MAX_PATH - fixed - relative.size(), L'x') + L"QXAPOMain.dll";
    const std::wstring copy = dir.Copy(module_.Path(), relative);
    ASSERT_EQ(size_t(MAX_PATH), copy.size());
    BuiltModule longPath(copy);
    if (!longPath.Loaded()) GTEST_SKIP() << "this system does not load from paths of MAX_PATH characters";
    EXPECT_EQ(HRESULT(0x8007007A), longPath.Register());
    EXPECT_EQ(HRESULT(0x8007007A), longPath.Unregister());
    EXPECT_EQ(L"", RegisteredState());
}

TEST(ModuleTypeLib, FallsBackToTheTlbBesideTheModule) {
    ScratchDirectory dir(L"qx reg tlb");
    const std::wstring tlb = dir.Copy(BuiltTypeLibPath(), L"v1.0\\Module.tlb");
    ASSERT_FALSE(tlb.empty());
    ComPtr<ITypeLib> library;
    std::wstring loadedFrom;
    EXPECT_EQ(S_OK, ModuleTypeLib::Load(dir.Path() + L"\\v1.0\\Module.dll", library, &loadedFrom));
    EXPECT_TRUE(library);
    EXPECT_EQ(tlb, loadedFrom);
    // The module file itself wins when it holds the library.
    EXPECT_EQ(S_OK, ModuleTypeLib::Load(BuiltModulePath(), library, &loadedFrom));
    EXPECT_EQ(BuiltModulePath(), loadedFrom);
    // Neither: the second load's error.
    EXPECT_TRUE(FAILED(ModuleTypeLib::Load(dir.Path() + L"\\v1.0\\Other.dll", library, &loadedFrom)));
}

TEST(ModulePath, FormsOfThePath) {
    EXPECT_EQ(L"C:\\a.b\\mod.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod.dll", L".tlb"));
    EXPECT_EQ(L"C:\\a.b\\mod.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod", L".tlb"));
    EXPECT_EQ(L"C:\\a.b\\mod.x.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod.x.y", L".tlb"));
    EXPECT_EQ(L"C:\\It''s\\x''''.dll", ModulePath::Quoted(L"C:\\It's\\x''.dll"));
    EXPECT_EQ(ModulePath::kMaxQuotedLength, ModulePath::Quoted(std::wstring(300, L'\'')).size());
    EXPECT_EQ(L"C:\\dir/", ModulePath::Directory(L"C:\\dir/lib.tlb"));
    EXPECT_EQ(L"C:", ModulePath::Directory(L"C:lib.tlb").substr(0, 2));
    EXPECT_EQ(L"", ModulePath::Directory(L"lib.tlb"));
}

}  // namespace
}  // namespace qx::test
