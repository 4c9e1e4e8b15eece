// DllRegisterServer and DllUnregisterServer of the built module, and the system's own
// registration tool on it, against the registry of this test's own Wine prefix; the
// interpreter over the Win32 registry (the data each value type stores) and the script
// runner's resource errors.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "server/ModulePath.h"
#include "server/ModuleTypeLib.h"
#include "server/RegScript.h"
#include "server/ScriptRunner.h"
#include "server/Win32Registry.h"
#include "tests/registration/BuiltModule.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModuleContract.h"

namespace qx::test {
namespace {

// What registration leaves under HKEY_CLASSES_ROOT: key, value name (null: the default
// value) and text (null: the key exists with no default value). %N stands for a class's
// name, %C for its CLSID, %I for its dual interface, %M for the module path; rows naming
// them hold for each class.
struct Row {
    const wchar_t* key;
    const wchar_t* value;
    const wchar_t* text;
};
constexpr Row kScriptRows[] = {
    {L"AppID\\{637833AA-D96E-4A98-8894-2F22D5B7E211}", nullptr, L"QXAPOMain"},
    {L"AppID\\QXAPOMain.DLL", L"AppID", L"{637833AA-D96E-4A98-8894-2F22D5B7E211}"},
    {L"QXAPOMain.%N.1", nullptr, L"%N Class"},
    {L"QXAPOMain.%N.1\\CLSID", nullptr, L"%C"},
    {L"QXAPOMain.%N", nullptr, L"%N Class"},
    {L"QXAPOMain.%N\\CLSID", nullptr, L"%C"},
    {L"QXAPOMain.%N\\CurVer", nullptr, L"QXAPOMain.%N.1"},
    {L"CLSID\\%C", nullptr, L"%N Class"},
    {L"CLSID\\%C", L"AppID", L"{637833AA-D96E-4A98-8894-2F22D5B7E211}"},
    {L"CLSID\\%C\\ProgID", nullptr, L"QXAPOMain.%N.1"},
    {L"CLSID\\%C\\VersionIndependentProgID", nullptr, L"QXAPOMain.%N"},
    {L"CLSID\\%C\\Programmable", nullptr, nullptr},
    {L"CLSID\\%C\\InprocServer32", nullptr, L"%M"},
    {L"CLSID\\%C\\InprocServer32", L"ThreadingModel", L"Both"},
    {L"CLSID\\%C\\TypeLib", nullptr, L"{C3A7D52C-BD07-46A6-8179-997334109904}"},
};
// Written by the system's type-library registration (among entries of its own).
constexpr Row kTypeLibRows[] = {
    {L"TypeLib\\{C3A7D52C-BD07-46A6-8179-997334109904}\\1.0\\409\\win64", nullptr, L"%M"},
    {L"Interface\\%I\\TypeLib", nullptr, L"{C3A7D52C-BD07-46A6-8179-997334109904}"},
};
// The keys registration creates and unregistration removes with everything below them:
// first those of the scripts, then those of the type library.
constexpr const wchar_t* kOwnKeys[] = {L"AppID\\{637833AA-D96E-4A98-8894-2F22D5B7E211}", L"AppID\\QXAPOMain.DLL",
                                       L"CLSID\\%C", L"QXAPOMain.%N", L"QXAPOMain.%N.1",
                                       L"TypeLib\\{C3A7D52C-BD07-46A6-8179-997334109904}", L"Interface\\%I"};
constexpr size_t kScriptKeyCount = 5;

std::wstring Expand(std::wstring text, const ContractClass& c, const std::wstring& module) {
    const std::pair<const wchar_t*, std::wstring> pairs[] = {{L"%N", c.name}, {L"%C", c.clsid}, {L"%I", c.dualIid},
                                                             {L"%M", module}};
    for (const auto& [from, to] : pairs)
        for (size_t at; (at = text.find(from)) != std::wstring::npos;) text.replace(at, 2, to);
    return text;
}

// Every own key's dump, each once.
std::wstring RegisteredState() {
    std::set<std::wstring> keys;
    for (const ContractClass& c : kContractClasses)
        for (const wchar_t* key : kOwnKeys) keys.insert(Expand(key, c, L""));
    std::wstring state;
    for (const std::wstring& key : keys) state += Dump(key);
    return state;
}

// Walks the table, and checks that the scripts wrote nothing beyond it.
void ExpectRegisteredAt(const std::wstring& module) {
    std::set<std::wstring> keys, values, scriptKeys;
    for (const ContractClass& c : kContractClasses) {
        for (const Row& row : kScriptRows) {
            const std::wstring key = Expand(row.key, c, module);
            keys.insert(key);
            if (row.text) values.insert(key + L"[" + (row.value ? row.value : L"") + L"]");
            EXPECT_EQ(row.text ? Expand(row.text, c, module) : L"<none>", Text(key, row.value)) << key;
        }
        for (const Row& row : kTypeLibRows)
            EXPECT_EQ(Expand(row.text, c, module), Text(Expand(row.key, c, module), row.value)) << row.key;
        for (size_t i = 0; i < kScriptKeyCount; ++i) scriptKeys.insert(Expand(kOwnKeys[i], c, L""));
    }
    size_t lines = 0;
    for (const std::wstring& key : scriptKeys)
        for (wchar_t ch : Dump(key)) lines += ch == L'\n';
    EXPECT_EQ(keys.size() + values.size(), lines) << "keys and values beyond the scripts'";
}

class Registration : public testing::Test {
protected:
    // Every test starts and ends with the module unregistered, under a thread locale of
    // the caller's that every call, failed or not, gives back.
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
        ASSERT_TRUE(SetThreadLocale(kGerman));
        Clean();
    }
    void TearDown() override {
        Clean();
        SetThreadLocale(original_);
    }
    void Clean() {
        EXPECT_EQ(S_OK, module_.Register());
        EXPECT_EQ(S_OK, module_.Unregister());
        EXPECT_EQ(kGerman, GetThreadLocale());
        ASSERT_EQ(L"", RegisteredState());
    }
    const LCID kGerman = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    const LCID original_ = GetThreadLocale();
    BuiltModule module_;
};

// The system tool calls the module's own entry points, here of a copy whose path holds a
// quote (written with one quote); registering twice changes nothing.
TEST_F(Registration, TheSystemToolRegistersRepeatablyAndUnregisters) {
    ScratchDirectory dir(L"qx reg 'quoted'");
    const std::wstring copy = dir.Copy(module_.Path(), L"It's here\\QXAPOMain.dll");
    ASSERT_FALSE(copy.empty());
    ASSERT_EQ(0u, RunChild(L"regsvr32 /s \"" + copy + L"\"", true).exitCode);
    ExpectRegisteredAt(copy);
    const std::wstring first = RegisteredState();
    {
        BuiltModule quoted(copy);
        ASSERT_EQ(S_OK, quoted.Register());
    }
    EXPECT_EQ(first, RegisteredState());
    ASSERT_EQ(0u, RunChild(L"regsvr32 /s /u \"" + copy + L"\"", true).exitCode);
    EXPECT_EQ(L"", RegisteredState());
}

TEST_F(Registration, ClassKeyIsRebuiltWhileProgIdKeysKeepForeignEntries) {
    ASSERT_EQ(S_OK, module_.Register());
    const ContractClass& c = kContractClasses[3];
    const std::wstring classKey = Expand(L"CLSID\\%C", c, L""), progId = Expand(L"QXAPOMain.%N", c, L"");
    PutText(classKey, L"Manual", L"by hand");
    PutText(classKey + L"\\InprocServer32\\Extra", nullptr, L"by hand");
    PutText(progId, L"Manual", L"by hand");
    ASSERT_EQ(S_OK, module_.Register());
    EXPECT_EQ(L"<none>", Text(classKey, L"Manual"));
    EXPECT_EQ(L"<no key>", Text(classKey + L"\\InprocServer32\\Extra"));
    EXPECT_EQ(L"by hand", Text(progId, L"Manual"));
    // A subkey somebody else added keeps its ProgID key; the shared keys stay.
    PutText(progId + L"\\Foreign", nullptr, L"someone else's");
    ASSERT_EQ(S_OK, module_.Unregister());
    EXPECT_EQ(L"someone else's", Text(progId + L"\\Foreign"));
    EXPECT_EQ(L"<no key>", Text(progId + L"\\CLSID"));
    EXPECT_NE(L"<no key>", Text(L"CLSID"));
    EXPECT_NE(L"<no key>", Text(L"AppID"));
    DeleteTree(progId);
}

TEST_F(Registration, UnregisteringAnUnregisteredModuleFailsAtTheTypeLibraryAndKeepsTheAppId) {
    // Only the AppID keys are there, as after a registration cut short.
    PutText(kOwnKeys[0], nullptr, L"QXAPOMain");
    PutText(kOwnKeys[1], L"AppID", kContractAppId);
    const HRESULT expected = UnRegisterTypeLib(ContractGuid(kContractLibId), 1, 0, 0x0409, SYS_WIN64);
    ASSERT_TRUE(FAILED(expected));
    EXPECT_EQ(expected, module_.Unregister());
    EXPECT_EQ(kGerman, GetThreadLocale());
    EXPECT_EQ(L"QXAPOMain", Text(kOwnKeys[0]));
    EXPECT_EQ(kContractAppId, Text(kOwnKeys[1], L"AppID"));
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
    const std::pair<std::wstring, std::wstring> loads[] = {
        {dir.Path() + L"\\v1.0\\Module.dll", tlb},    // beside the module
        {BuiltModulePath(), BuiltModulePath()},       // the module itself wins when it holds one
        {dir.Path() + L"\\v1.0\\Other.dll", L""}};    // neither: the second load's error
    for (const auto& [module, loadedFrom] : loads) {
        ComPtr<ITypeLib> library;
        std::wstring from;
        EXPECT_EQ(!loadedFrom.empty(), SUCCEEDED(ModuleTypeLib::Load(module, library, &from))) << module;
        if (!loadedFrom.empty()) {
            EXPECT_EQ(loadedFrom, from);
        }
    }
}

TEST(ModulePath, FormsOfThePath) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\a.b\\mod.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod.dll", L".tlb")},
        {L"C:\\a.b\\mod.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod", L".tlb")},
        {L"C:\\a.b\\mod.x.tlb", ModulePath::WithExtension(L"C:\\a.b\\mod.x.y", L".tlb")},
        {L"C:\\It''s\\x''''.dll", ModulePath::Quoted(L"C:\\It's\\x''.dll")},
        {std::wstring(519, L'\''), ModulePath::Quoted(std::wstring(300, L'\''))},
        {L"C:\\dir/", ModulePath::Directory(L"C:\\dir/lib.tlb")},
        {L"C:", ModulePath::Directory(L"C:lib.tlb")},
        {L"", ModulePath::Directory(L"lib.tlb")},
    };
    for (const auto& [expected, actual] : cases) EXPECT_EQ(expected, actual);
}

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
