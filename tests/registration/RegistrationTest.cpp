// DllRegisterServer and DllUnregisterServer of the built module, and the system's own
// registration tool on it, against the registry of this test's own Wine prefix; the
// interpreter over the Win32 registry (the data each value type stores) and the script
// runner's resource errors; the type library built into the module, read back through
// ITypeLib and ITypeInfo, and IDispatch of the four classes through it once it is
// registered, with the dispatch slots of the processing interface; and the module's
// version resource.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "frame/Module.h"
#include "processors/IQXEffectProcessor.h"
#include "server/ModulePath.h"
#include "server/ModuleTypeLib.h"
#include "server/RegScript.h"
#include "server/ScriptRunner.h"
#include "server/Win32Registry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/Processors.h"
#include "tests/support/ScratchDirectory.h"
#include "tests/support/ServerLibrary.h"

namespace qx::test {
namespace {

// ---- the built module loaded by path, its exports, and registry helpers ----
// A path of the build host as Wine maps it (drive Z: is the host's root).
std::wstring HostPath(const char* hostPath) {
    std::wstring path = L"Z:";
    for (const char* c = hostPath; *c; ++c) path.push_back(*c == '/' ? L'\\' : wchar_t(*c));
    return path;
}

// Path of the built module as Windows sees it.
std::wstring BuiltModulePath() { return HostPath(QX_MODULE_FILE); }

// HKEY_CLASSES_ROOT helpers. Text() gives "<no key>" for a missing key, "<none>" for a
// missing value and "<type N>" for a value that is not REG_SZ.
std::wstring Text(const std::wstring& path, const wchar_t* name = nullptr) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return L"<no key>";
    wchar_t data[1024];
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return L"<none>";
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    data[size / sizeof(wchar_t)] = 0;
    return data;
}

void PutText(const std::wstring& path, const wchar_t* name, const wchar_t* text) {
    RegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) ==
        ERROR_SUCCESS)
        RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}


void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::wstring* out) {
    RegKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    *out += shown + L"\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        BYTE data[2048];
        DWORD size = sizeof(data);
        if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        *out += shown + L" [" + name + L"] " + std::to_wstring(type) + L":";
        if (type == REG_SZ) *out += std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
        *out += L"\n";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DumpKey(key.Get(), name, shown + L"\\" + name, out);
    }
}

// Every subkey and value below path, one per line, for comparing states.
std::wstring Dump(const std::wstring& path) {
    std::wstring out;
    DumpKey(HKEY_CLASSES_ROOT, path, path, &out);
    return out;
}

// ---- registration ----
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
    ServerLibrary module_{BuiltModulePath()};
};

// The system tool calls the module's own entry points, here of a copy whose path holds a
// quote (written with one quote); registering twice changes nothing.
TEST_F(Registration, TheSystemToolRegistersRepeatablyAndUnregisters) {
    ScratchDirectory dir(L"qx reg 'quoted'");
    const std::wstring copy = dir.Copy(module_.Path(), L"It's here\\QXAPOMain.dll");
    ASSERT_FALSE(copy.empty());
    ASSERT_EQ(0u, RunChild(L"regsvr32 /s \"" + copy + L"\"", true).exitCode);
    // Every row of the tables, and nothing beyond them in the scripts' keys.
    std::set<std::wstring> keys, values, scriptKeys;
    for (const ContractClass& c : kContractClasses) {
        for (const Row& row : kScriptRows) {
            const std::wstring key = Expand(row.key, c, copy);
            keys.insert(key);
            if (row.text) values.insert(key + L"[" + (row.value ? row.value : L"") + L"]");
            EXPECT_EQ(row.text ? Expand(row.text, c, copy) : L"<none>", Text(key, row.value)) << key;
        }
        for (const Row& row : kTypeLibRows)
            EXPECT_EQ(Expand(row.text, c, copy), Text(Expand(row.key, c, copy), row.value)) << row.key;
        for (size_t i = 0; i < kScriptKeyCount; ++i) scriptKeys.insert(Expand(kOwnKeys[i], c, L""));
    }
    size_t lines = 0;
    for (const std::wstring& key : scriptKeys)
        for (wchar_t ch : Dump(key)) lines += ch == L'\n';
    EXPECT_EQ(keys.size() + values.size(), lines) << "keys and values beyond the scripts'";
    const std::wstring first = RegisteredState();
    {
        ServerLibrary quoted(copy);
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
    RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str());
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
    ServerLibrary longPath(copy);
    if (!longPath.Loaded()) GTEST_SKIP() << "this system does not load from paths of MAX_PATH characters";
    EXPECT_EQ(HRESULT(0x8007007A), longPath.Register());
    EXPECT_EQ(HRESULT(0x8007007A), longPath.Unregister());
    EXPECT_EQ(L"", RegisteredState());
}

TEST(ModuleTypeLib, FallsBackToTheTlbBesideTheModule) {
    ScratchDirectory dir(L"qx reg tlb");
    const std::wstring tlb = dir.Copy(HostPath(QX_TYPELIB_FILE), L"v1.0\\Module.tlb");
    ASSERT_FALSE(tlb.empty());
    const std::pair<std::wstring, std::wstring> loads[] = {
        {dir.Path() + L"\\v1.0\\Module.dll", tlb},    // beside the module
        {BuiltModulePath(), BuiltModulePath()},       // the module itself wins when it holds one
        {dir.Path() + L"\\v1.0\\Other.dll", L""}};    // neither: the second load's error
    for (const auto& [module, loadedFrom] : loads) {
        ComPtr<ITypeLib> library;
        std::wstring from;
        EXPECT_EQ(!loadedFrom.empty(), SUCCEEDED(ModuleTypeLib::Load(module, library, &from))) << module;
        EXPECT_TRUE(loadedFrom.empty() || loadedFrom == from) << from;
    }
}

TEST(ModulePath, FormsOfThePath) {
    const std::pair<std::wstring, std::wstring> cases[] = {
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

// ---- the interpreter over the Win32 registry, and the script runner ----
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

// ---- the type library and IDispatch ----
// The caller's locale selects the registered library; it is registered for US English.
constexpr LCID kLocale = 0x0409;

std::wstring Take(BSTR text) {
    const std::wstring owned = text ? std::wstring(text, SysStringLen(text)) : L"<null>";
    SysFreeString(text);
    return owned;
}

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return Take(name);
}

// The name, or the help string, of entry `index` of a library (-1: the library itself).
std::wstring Doc(ITypeLib* library, INT index, bool help = false) {
    BSTR text = nullptr;
    library->GetDocumentation(index, help ? nullptr : &text, help ? &text : nullptr, nullptr, nullptr);
    return Take(text);
}

// The type an implemented-type slot refers to (-1: a dual interface's vtable side).
ComPtr<ITypeInfo> Referenced(ITypeInfo* info, UINT slot) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> target;
    if (SUCCEEDED(info->GetRefTypeOfImplType(slot, &ref))) info->GetRefTypeInfo(ref, target.Put());
    return target;
}

// The attributes of a type, copied out.
TYPEATTR Attributes(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    TYPEATTR copy = {};
    if (SUCCEEDED(info->GetTypeAttr(&attr))) copy = *attr;
    if (attr) info->ReleaseTypeAttr(attr);
    return copy;
}

class TypeLibrary : public testing::Test {
protected:
    // Type information is loaded afresh in every test, as after a reload of the module.
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
        ASSERT_EQ(S_OK, LoadTypeLibEx(BuiltModulePath().c_str(), REGKIND_NONE, library_.Put()));
        Module::Shutdown();
        Module::Startup(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        if (registered_) {
            EXPECT_EQ(S_OK, module_.Unregister());
        }
        Module::Shutdown();
        Module::Startup(GetModuleHandleW(nullptr));
    }
    void Register() {
        registered_ = true;
        ASSERT_EQ(S_OK, module_.Register());
    }
    ComPtr<ITypeInfo> Entry(UINT index) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library_->GetTypeInfo(index, info.Put())) << index;
        return info;
    }

    ServerLibrary module_{BuiltModulePath()};
    ComPtr<ITypeLib> library_;
    bool registered_ = false;
};

// Unregistered, every lookup through IDispatch fails with the library's load error. Then
// the library's names, and each class and its dual interface: creatable coclass with the
// dual interface as its default, the interface dual, non-extensible and
// automation-compatible on IDispatch of the standard automation library. Once registered,
// each object describes its own dual interface through IDispatch, loaded once whatever
// the locale; the processing interface is not in the library, so its slots describe
// nothing even then. Identifier, version, locale and platform of the library are what
// its registration key is made of, checked by the registration walk.
TEST_F(TypeLibrary, ClassesAndDualInterfacesInOrderAndThroughIDispatch) {
    ComPtr<ITypeLib> unregistered;
    const HRESULT loadError = LoadRegTypeLib(ContractGuid(kContractLibId), 1, 0, kLocale, unregistered.Put());
    ASSERT_TRUE(FAILED(loadError));
    for (const ContractClass& c : kContractClasses) {
        ComPtr<IDispatch> object = NewContractObject<IDispatch>(c, IID_IDispatch);
        ASSERT_TRUE(object);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(loadError, object->GetTypeInfo(0, kLocale, &info));
        EXPECT_EQ(nullptr, info);
        LPOLESTR name = const_cast<LPOLESTR>(L"EffectList_SetState");
        DISPID id = 0;
        EXPECT_EQ(loadError, object->GetIDsOfNames(IID_NULL, &name, 1, kLocale, &id));
        DISPPARAMS none = {};
        EXPECT_EQ(loadError, object->Invoke(4, IID_NULL, kLocale, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    }
    Register();
    BSTR file = nullptr;
    library_->GetDocumentation(-1, nullptr, nullptr, nullptr, &file);
    EXPECT_EQ(L"<null>", Take(file));
    EXPECT_EQ(L"QXAPOMainLib", Doc(library_.Get(), -1));
    EXPECT_EQ(L"QXAPOMain 1.0 Type Library", Doc(library_.Get(), -1, true));
    const struct {
        const ContractClass& c;
        SHORT methods;
    } expected[] = {{kContractClasses[1], 0}, {kContractClasses[2], 0}, {kContractClasses[0], 0},
                    {kContractClasses[3], 7}};
    for (UINT i = 0; i < 4; ++i) {
        const ContractClass& c = expected[i].c;
        const std::wstring name = c.name;
        SCOPED_TRACE(name);
        ComPtr<ITypeInfo> coclass = Entry(2 * i), dispatch, again;
        ComPtr<IDispatch> object = NewContractObject<IDispatch>(c, IID_IDispatch);
        ASSERT_TRUE(coclass && object);
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, kLocale, dispatch.Put()));
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, LOCALE_NEUTRAL, again.Put()));
        EXPECT_EQ(dispatch.Get(), again.Get());
        const TYPEATTR classAttr = Attributes(coclass.Get()), dispatchAttr = Attributes(dispatch.Get());
        EXPECT_EQ(name + L" Class", Doc(library_.Get(), INT(2 * i), true));
        EXPECT_EQ(L"I" + name + L" Interface", Doc(library_.Get(), INT(2 * i + 1), true));
        EXPECT_EQ(name, Name(coclass.Get()));
        EXPECT_EQ(TKIND_COCLASS, classAttr.typekind);
        EXPECT_TRUE(IsEqualGUID(ContractGuid(c.clsid), classAttr.guid));
        EXPECT_TRUE(classAttr.wTypeFlags & TYPEFLAG_FCANCREATE);
        ASSERT_EQ(1, classAttr.cImplTypes);
        INT flags = 0;
        coclass->GetImplTypeFlags(0, &flags);
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
        ComPtr<ITypeInfo> defaultInterface = Referenced(coclass.Get(), 0);
        ASSERT_TRUE(defaultInterface);
        EXPECT_EQ(L"I" + name, Name(defaultInterface.Get()));

        EXPECT_EQ(TKIND_DISPATCH, dispatchAttr.typekind);
        EXPECT_TRUE(IsEqualGUID(ContractGuid(c.dualIid), dispatchAttr.guid));
        ComPtr<ITypeInfo> vtable = Referenced(dispatch.Get(), UINT(-1));
        ASSERT_TRUE(vtable);
        const TYPEATTR vtableAttr = Attributes(vtable.Get());
        const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
        EXPECT_EQ(dual, vtableAttr.wTypeFlags & dual);
        EXPECT_EQ(expected[i].methods, vtableAttr.cFuncs);
        ComPtr<ITypeInfo> base = Referenced(vtable.Get(), 0);
        ASSERT_TRUE(base);
        EXPECT_EQ(L"IDispatch", Name(base.Get()));  // found through the imported automation library

        ComPtr<IQXEffectProcessor> processor;
        EXPECT_EQ(c.processor, SUCCEEDED(object.As(processor)));
        if (processor) ExpectProcessorDispatchDescribesNothing(processor.Get(), kLocale);
    }
}

// Late-bound callers find each effect-list method and its parameters by name: the
// method's dispatch id, then its parameters' positions. Each method sits in its slot after
// those of IUnknown and IDispatch, returns a status and carries its help string; and a
// call reaches the object's method with its arguments: the count is set to 0 first (an
// object that is no device adds nothing), and a null device is refused, which comes back
// as an exception carrying the method's status.
TEST_F(TypeLibrary, EffectListMethodsByNameAndThroughInvoke) {
    Register();
    ComPtr<IDispatch> object = NewContractObject<IDispatch>(kContractClasses[3], IID_IDispatch);
    ComPtr<ITypeInfo> info;
    ASSERT_TRUE(object);
    ASSERT_EQ(S_OK, object->GetTypeInfo(0, kLocale, info.Put()));
    ComPtr<ITypeInfo> vtable = Referenced(info.Get(), UINT(-1));
    ASSERT_TRUE(vtable);
    const std::vector<const wchar_t*> methods[] = {
        {L"GetNumDSPSupported", L"pDeviceUnk", L"pulNumDSP"},
        {L"EffectList_Initialize", L"hListControl", L"pwstrEndpointID", L"pFxPropertiesUnk"},
        {L"EffectList_GetStatusString", L"hListControl", L"pFxPropertiesUnk", L"pwstrStatus", L"cStringSize",
         L"pbSettingsButtonAvailable"},
        {L"EffectList_SetState", L"pPropertiesUnk"},
        {L"EffectList_SettingsDialog", L"hListControl", L"pFxPropertiesUnk"},
        {L"EffectList_ItemChanged", L"hListControl", L"pNMListView", L"pbNotifyParent"},
        {L"EffectList_PropertyValueChanged", L"hListControl", L"pFxPropertiesUnk", L"key"},
    };
    for (UINT i = 0; i < std::size(methods); ++i) {
        SCOPED_TRACE(methods[i][0]);
        std::vector<DISPID> ids(methods[i].size(), -1), expected = {DISPID(i + 1)};
        for (size_t p = 1; p < ids.size(); ++p) expected.push_back(DISPID(p - 1));
        EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(methods[i].data()), UINT(ids.size()),
                                              kLocale, ids.data()));
        EXPECT_EQ(expected, ids);
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &func));
        EXPECT_EQ(MEMBERID(i + 1), func->memid);
        EXPECT_EQ(SHORT((7 + i) * sizeof(void*)), func->oVft);
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        vtable->ReleaseFuncDesc(func);
        BSTR help = nullptr;
        info->GetDocumentation(MEMBERID(i + 1), nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(std::wstring(L"method ") + methods[i][0], Take(help));
    }
    for (IUnknown* device : {static_cast<IUnknown*>(object.Get()), static_cast<IUnknown*>(nullptr)}) {
        ULONG count = 7;
        VARIANT args[2];  // in reverse order
        VariantInit(&args[0]);
        V_VT(&args[0]) = VT_UI4 | VT_BYREF;
        V_UI4REF(&args[0]) = &count;
        VariantInit(&args[1]);
        V_VT(&args[1]) = VT_UNKNOWN;
        V_UNKNOWN(&args[1]) = device;
        DISPPARAMS params = {args, nullptr, 2, 0};
        EXCEPINFO exception = {};
        const HRESULT hr =
            object->Invoke(1, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
        EXPECT_EQ(device ? S_OK : DISP_E_EXCEPTION, hr);
        EXPECT_EQ(device ? S_OK : E_POINTER, exception.scode);
        EXPECT_EQ(0u, count);
        for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile}) SysFreeString(text);
    }
}

TEST(VersionResource, NamesTheModuleAndItsVersion) {
    const std::wstring path = BuiltModulePath();
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(path.c_str(), 0, DWORD(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ((std::vector<DWORD>{0x00010000, 0x00000001, 0x00010000, 0x00000001}),
              (std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}));
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"1.0.0.1"}, {L"ProductVersion", L"1.0.0.1"},
        {L"InternalName", L"QXAPOMain.dll"}, {L"OriginalFilename", L"QXAPOMain.dll"}};
    for (const auto& [name, expected] : strings) {
        void* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &text, &length)) << name;
        EXPECT_STREQ(expected, static_cast<const wchar_t*>(text));
    }
    const ModuleHandle module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    wchar_t name[32] = {};
    ASSERT_GT(LoadStringW(module.Get(), 100, name, 32), 0);
    EXPECT_STREQ(L"QXAPOMain", name);
}

}  // namespace
}  // namespace qx::test
