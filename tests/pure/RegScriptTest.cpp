// The registry-script language over the in-memory registry.
#include <gtest/gtest.h>

#include <string>

#include "server/RegScript.h"
#include "server/ReplacementList.h"
#include "tests/support/MemoryRegistry.h"

using qx::MemoryRegistry;
using qx::RegScript;
using qx::RegValue;
using qx::RegValueType;
using qx::Status;
namespace status = qx::status;

namespace {

constexpr Status kAccessDenied = static_cast<Status>(0x80070005u);

class RegScriptTest : public testing::Test {
protected:
    Status Register(std::wstring_view text) { return Run(text, RegScript::Mode::Register); }
    Status Unregister(std::wstring_view text) { return Run(text, RegScript::Mode::Unregister); }
    Status Run(std::wstring_view text, RegScript::Mode mode) {
        const Status s = RegScript::Run(text, reg_, mode);
        EXPECT_EQ(0u, reg_.OpenHandles()) << "a key was left open";
        return s;
    }
    // The text of a string value, or "<none>".
    std::wstring Text(std::wstring_view path, std::wstring_view name = L"") const {
        const RegValue* v = reg_.Value(path, name);
        return v ? v->text : L"<none>";
    }
    static RegValue Str(std::wstring text) {
        RegValue v;
        v.text = std::move(text);
        return v;
    }

    MemoryRegistry reg_;
};

TEST(ReplacementList, ExpandsNamesWithoutRegardToCaseFirstPairWinning) {
    qx::ReplacementList list;
    list.Add(L"Module", L"C:\\a''b.dll");
    list.Add(L"MODULE", L"second");
    list.Add(L"APPID", L"{id}");
    std::wstring out;
    EXPECT_EQ(status::kOk, list.Expand(L"%module% 100%% %AppId%%%", &out));
    EXPECT_EQ(L"C:\\a''b.dll 100% {id}%", out);

    const std::wstring longest(31, L'x');
    list.Add(longest, L"ok");
    EXPECT_EQ(status::kOk, list.Expand(L"%" + longest + L"%", &out));
    EXPECT_EQ(L"ok", out);
}

TEST(ReplacementList, FailsOnLongUnknownOrUnclosedNames) {
    qx::ReplacementList list;
    list.Add(L"APPID", L"{id}");
    std::wstring out;
    EXPECT_EQ(status::kFail, list.Expand(L"a %" + std::wstring(32, L'x') + L"% b", &out));
    EXPECT_EQ(status::kDispException, list.Expand(L"%Unknown%", &out));
    EXPECT_EQ(status::kDispException, list.Expand(L"%APPID", &out));
    EXPECT_EQ(status::kDispException, list.Expand(L"50% off", &out));
    EXPECT_EQ(status::kOk, list.Expand(L"", &out));
    EXPECT_EQ(L"", out);
}

TEST_F(RegScriptTest, WritesKeysDefaultValuesAndNamedValues) {
    EXPECT_EQ(status::kOk, Register(L"HKCR { A = s 'x y' { B { val V = s 'it''s' } 'C D' = s '' } }"));
    EXPECT_EQ(L"x y", Text(L"HKCR\\A"));
    EXPECT_TRUE(reg_.Exists(L"HKCR\\A\\B"));
    EXPECT_EQ(L"<none>", Text(L"HKCR\\A\\B"));
    EXPECT_EQ(L"it's", Text(L"HKCR\\A\\B", L"V"));
    EXPECT_TRUE(reg_.Exists(L"HKCR\\A\\C D"));
    EXPECT_EQ(L"", Text(L"HKCR\\A\\C D"));
}

TEST_F(RegScriptTest, HiveNamesLongAndShortInAnyCase) {
    const wchar_t* names[][3] = {
        {L"HKCR", L"hkey_classes_root", L"HKCR"}, {L"hkcu", L"HKEY_CURRENT_USER", L"HKCU"},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", L"HKLM"}, {L"HKU", L"HKEY_USERS", L"HKU"},
        {L"HKPD", L"HKEY_PERFORMANCE_DATA", L"HKPD"}, {L"HKDD", L"HKEY_DYN_DATA", L"HKDD"},
        {L"HKCC", L"Hkey_Current_Config", L"HKCC"},
    };
    for (const auto& n : names) {
        EXPECT_EQ(status::kOk, Register(std::wstring(n[0]) + L" { Short }\r\n" + n[1] + L"\t{\tLong\t}"));
        EXPECT_TRUE(reg_.Exists(std::wstring(n[2]) + L"\\Short")) << n[0];
        EXPECT_TRUE(reg_.Exists(std::wstring(n[2]) + L"\\Long")) << n[1];
    }
}

TEST_F(RegScriptTest, KeywordsInAnyCaseAndOnlyInTheirOrder) {
    reg_.PutValue(L"HKCR\\Gone\\Sub", L"", Str(L"old"));
    EXPECT_EQ(status::kOk, Register(L"HKCR { fOrCeReMoVe Gone { VAL v = S 'x' } "
                                    L"NoRemove ForceRemove { vAl W = s 'y' } "
                                    L"ForceRemove NoRemove Val }"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Gone\\Sub"));
    EXPECT_EQ(L"x", Text(L"HKCR\\Gone", L"v"));
    // After NoRemove the word ForceRemove is the key's name.
    EXPECT_EQ(L"y", Text(L"HKCR\\ForceRemove", L"W"));
    // After ForceRemove the word Val is the key's name too.
    EXPECT_TRUE(reg_.Exists(L"HKCR\\Val"));
}

TEST_F(RegScriptTest, ValueTypes) {
    EXPECT_EQ(status::kOk, Register(L"HKCU { K { val s = s 'text' val d = d ' 4294967295 ' val z = D '0' "
                                    L"val b = b '00fFa1zz' val e = b '' val m = m 'one\\0two\\0' } }"));
    const RegValue* d = reg_.Value(L"HKCU\\K", L"d");
    ASSERT_TRUE(d);
    EXPECT_EQ(RegValueType::Dword, d->type);
    EXPECT_EQ(0xFFFFFFFFu, d->number);
    EXPECT_EQ(0u, reg_.Value(L"HKCU\\K", L"z")->number);
    const RegValue* b = reg_.Value(L"HKCU\\K", L"b");
    ASSERT_TRUE(b);
    EXPECT_EQ(RegValueType::Binary, b->type);
    EXPECT_EQ((std::vector<std::uint8_t>{0x00, 0xFF, 0xA1, 0x00}), b->bytes);  // non-digits count as 0
    EXPECT_TRUE(reg_.Value(L"HKCU\\K", L"e")->bytes.empty());
    const RegValue* m = reg_.Value(L"HKCU\\K", L"m");
    ASSERT_TRUE(m);
    EXPECT_EQ(RegValueType::MultiString, m->type);
    EXPECT_EQ(std::wstring(L"one\0two\0", 8), m->text);
    EXPECT_EQ(RegValueType::String, reg_.Value(L"HKCU\\K", L"s")->type);
}

TEST_F(RegScriptTest, EveryErrorOfTheLanguage) {
    const struct {
        const wchar_t* script;
        Status expected;
    } cases[] = {
        {L"HKXX { }", status::kDispException},               // unknown hive
        {L"HKCR", status::kDispException},                   // hive without a list
        {L"HKCR K { }", status::kDispException},             // hive not followed by "{"
        {L"HKCR {", status::kDispException},                 // end of text where a token is required
        {L"HKCR { K = s", status::kDispException},
        {L"HKCR { K = s 'open }", status::kDispException},   // end inside a quoted token
        {L"HKCR { val V s 'x' }", status::kDispException},   // value without "="
        {L"HKCR { K = q 'x' }", status::kDispException},     // unknown value type
        {L"HKCR { val V = x 'x' }", status::kDispException},
        {L"HKCR { A\\B }", status::kDispException},          // key name with a backslash
        {L"HKCR { 'A\\B' = s 'x' }", status::kDispException},
        {L"HKCR { '' = s 'x' }", status::kDispException},   // key without a name
        {L"HKU { K = s = s '' }", status::kDispException},   // "=" as a value text, then a nameless key
        {L"HKCR { K { { } }", status::kDispException},      // a key named like a brace
        {L"HKCR { val = = s 'x' }", status::kDispException},
        {L"HKCR { } junk", status::kDispException},          // more than whitespace after the last block
        {L"HKCR { K=s 'x' }", status::kOk},                  // "K=s" is one token: a key name, then 'x'
        {L"HKCR { val B = b 'abc' }", status::kFail},        // odd number of hex digits
        {L"HKCR { val D = d 'ten' }", status::kTypeMismatch},
        {L"HKCR { val D = d '4294967296' }", status::kOverflow},
        {L"HKCR { val D = d '-1' }", status::kTypeMismatch},
    };
    for (const auto& c : cases) {
        MemoryRegistry fresh;
        EXPECT_EQ(c.expected, RegScript::Run(c.script, fresh, RegScript::Mode::Register)) << c.script;
        EXPECT_EQ(0u, fresh.OpenHandles()) << c.script;
    }
}

TEST_F(RegScriptTest, TokensUpTo4095Characters) {
    const std::wstring longest(4095, L'k');
    EXPECT_EQ(status::kOk, Register(L"HKCU { val v = s '" + longest + L"' val w = s " + longest + L" }"));
    EXPECT_EQ(longest, Text(L"HKCU", L"v"));
    EXPECT_EQ(longest, Text(L"HKCU", L"w"));
    // Doubled quotes count once.
    const std::wstring quotes(4095, L'\'');
    EXPECT_EQ(status::kOk, Register(L"HKCU { val q = s '" + quotes + quotes + L"' }"));
    EXPECT_EQ(quotes, Text(L"HKCU", L"q"));

    EXPECT_EQ(status::kDispException, Register(L"HKCU { val x = s '" + longest + L"k' }"));
    EXPECT_EQ(status::kDispException, Register(L"HKCU { val x = s " + longest + L"k }"));
    EXPECT_EQ(L"<none>", Text(L"HKCU", L"x"));
}

TEST_F(RegScriptTest, ForceRemoveAndDeleteSpareProtectedNames) {
    reg_.PutValue(L"HKCR\\CLSID\\{x}\\Inner", L"v", Str(L"keep"));
    reg_.PutValue(L"HKCR\\software\\Sub", L"v", Str(L"keep"));
    reg_.PutValue(L"HKCR\\Plain\\Sub", L"v", Str(L"gone"));
    reg_.PutValue(L"HKCR\\Doomed\\Deep\\Deeper", L"v", Str(L"gone"));
    EXPECT_EQ(status::kOk, Register(L"HKCR { ForceRemove clsid ForceRemove Plain Delete SOFTWARE = s 'x' "
                                    L"Delete Doomed = s 'x' { Inner } Delete Missing }"));
    EXPECT_EQ(L"keep", Text(L"HKCR\\CLSID\\{x}\\Inner", L"v"));
    EXPECT_EQ(L"keep", Text(L"HKCR\\software\\Sub", L"v"));
    EXPECT_EQ(L"<none>", Text(L"HKCR\\software"));  // Delete never creates or writes
    EXPECT_TRUE(reg_.Exists(L"HKCR\\Plain"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Plain\\Sub"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Doomed"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Missing"));
    for (const wchar_t* name : {L"AppID", L"CLSID", L"Component Categories", L"FileType", L"Interface",
                                L"Hardware", L"Mime", L"SAM", L"SECURITY", L"SYSTEM", L"Software", L"TypeLib"})
        EXPECT_TRUE(RegScript::IsProtected(name)) << name;
    EXPECT_TRUE(RegScript::IsProtected(L"typelib"));
    EXPECT_FALSE(RegScript::IsProtected(L"CLSIDs"));
}

TEST_F(RegScriptTest, FailedHiveBlockIsRolledBackEarlierBlocksStay) {
    reg_.PutValue(L"HKCU\\Existing", L"v", Str(L"foreign"));
    const Status s = Register(L"HKLM { First = s '1' }\r\n"
                              L"HKCU { Second = s '2' { Child } NoRemove Existing { val w = s 'w' } Bad\\Name }\r\n"
                              L"HKCC { Third }");
    EXPECT_EQ(status::kDispException, s);
    EXPECT_EQ(L"1", Text(L"HKLM\\First"));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\Second"));
    EXPECT_TRUE(reg_.Exists(L"HKCU\\Existing"));
    EXPECT_EQ(L"<none>", Text(L"HKCU\\Existing", L"w"));
    EXPECT_EQ(L"foreign", Text(L"HKCU\\Existing", L"v"));
    EXPECT_FALSE(reg_.Exists(L"HKCC\\Third"));
}

TEST_F(RegScriptTest, RegistryErrorsStopTheBlockWithTheirStatus) {
    reg_.PutKey(L"HKCU\\Locked");
    reg_.SetRights(L"HKCU\\Locked", MemoryRegistry::Rights::ReadOnly);
    // Opened for reading only, the key takes no default value.
    EXPECT_EQ(kAccessDenied, Register(L"HKCU { New Locked = s 'x' }"));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\New"));
    // Reading suffices to walk through it.
    reg_.PutKey(L"HKCU\\Locked\\Open");
    EXPECT_EQ(status::kOk, Register(L"HKCU { Locked { Open { val v = s 'x' } } }"));
    EXPECT_EQ(L"x", Text(L"HKCU\\Locked\\Open", L"v"));
    EXPECT_EQ(kAccessDenied, Register(L"HKCU { Locked { Fresh } }"));
}

TEST_F(RegScriptTest, UnregisterRemovesWhatTheScriptNames) {
    const wchar_t* script = L"HKCR { NoRemove Keep { Mine = s 'x' { val v = s 'y' } NoRemove Stay { val n = s 'z' "
                            L"NoRemove val k = s 'k' } } }";
    ASSERT_EQ(status::kOk, Register(script));
    reg_.PutValue(L"HKCR\\Keep\\Stay", L"foreign", Str(L"f"));
    EXPECT_EQ(status::kOk, Unregister(script));
    EXPECT_TRUE(reg_.Exists(L"HKCR\\Keep"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Keep\\Mine"));
    EXPECT_EQ(L"<none>", Text(L"HKCR\\Keep\\Stay", L"n"));
    EXPECT_EQ(L"k", Text(L"HKCR\\Keep\\Stay", L"k"));
    EXPECT_EQ(L"f", Text(L"HKCR\\Keep\\Stay", L"foreign"));
    // Everything is gone already: unregistering again is no error.
    EXPECT_EQ(status::kOk, Unregister(script));
}

TEST_F(RegScriptTest, UnregisterKeepsKeysWithForeignSubkeysAndSkipsMissingOnes) {
    ASSERT_EQ(status::kOk, Register(L"HKCR { A { B } C }"));
    reg_.PutKey(L"HKCR\\A\\Foreign");
    // ForceRemove and Delete mean nothing here, and errors inside a missing key are ignored.
    EXPECT_EQ(status::kOk, Unregister(L"HKCR { ForceRemove A { Delete B } Missing = q 'x' { Bad\\Name val = } C }"));
    EXPECT_TRUE(reg_.Exists(L"HKCR\\A\\Foreign"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\A\\B"));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\C"));
    // Syntax still matters for keys that exist.
    EXPECT_EQ(status::kDispException, Unregister(L"HKCR { A { Bad\\Name } }"));
}

TEST_F(RegScriptTest, SkippedListsFollowTheGrammarNotTheBraces) {
    // A value text "{" inside a list that is skipped (the second K is gone by then) must
    // not extend the skip past the list's end.
    const wchar_t* script = L"HKCR { K { val v = s '{' } K { val v = s '{' } } HKCU { After }";
    ASSERT_EQ(status::kOk, Register(script));
    EXPECT_EQ(L"{", Text(L"HKCR\\K", L"v"));
    EXPECT_EQ(status::kOk, Unregister(script));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\K"));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\After"));
    // The same in register mode, for the list of a deleted key.
    EXPECT_EQ(status::kOk, Register(L"HKCU { Delete Gone = s x { val v = s '{' } Next }"));
    EXPECT_TRUE(reg_.Exists(L"HKCU\\Next"));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\Gone"));
}

TEST_F(RegScriptTest, DeletedKeysListIsReadByTheRegisterGrammar) {
    // Unregistering runs this list once the second entry has created Doomed, so
    // registering must refuse the value without "=" rather than pass over it.
    const wchar_t* script = L"HKCR { Delete Doomed { Inner { val y } } Doomed { Inner } }";
    EXPECT_EQ(status::kDispException, Register(script));
    EXPECT_FALSE(reg_.Exists(L"HKCR\\Doomed"));
    for (const wchar_t* bad : {L"HKCU { Delete Gone { Bad\\Name } }", L"HKCU { Delete Gone = q 'x' }",
                               L"HKCU { Delete Gone { val v = q 'x' } }", L"HKCU { Delete Gone { '' } }",
                               L"HKCU { Delete Gone { Sub = d 'x' } }"})
        EXPECT_NE(status::kOk, Register(bad)) << bad;
    // A name too long for a key: deleting it fails quietly, and so does unregistering it.
    const std::wstring tooLong = L"HKCU { Delete " + std::wstring(300, L'k') + L" = s 'x' }";
    EXPECT_EQ(status::kOk, Register(tooLong));
    EXPECT_EQ(status::kOk, Unregister(tooLong));
    reg_.PutKey(L"HKCU\\Gone\\Sub");
    EXPECT_EQ(status::kOk, Register(L"HKCU { Delete Gone = s 'x' { NoRemove Sub = d '7' { val v = b '0A' } } }"));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\Gone"));
}

TEST_F(RegScriptTest, UnregisterReportsKeysItCannotOpen) {
    reg_.PutKey(L"HKCR\\Hidden\\Sub");
    reg_.SetRights(L"HKCR\\Hidden", MemoryRegistry::Rights::Denied);
    EXPECT_EQ(kAccessDenied, Unregister(L"HKCR { Hidden { Sub } }"));
    reg_.PutValue(L"HKCR\\ReadOnly", L"v", Str(L"x"));
    reg_.SetRights(L"HKCR\\ReadOnly", MemoryRegistry::Rights::ReadOnly);
    EXPECT_EQ(kAccessDenied, Unregister(L"HKCR { ReadOnly { val v = s 'x' } }"));
    EXPECT_EQ(L"x", Text(L"HKCR\\ReadOnly", L"v"));
}

TEST_F(RegScriptTest, NestingBeyondTheLimitIsASyntaxError) {
    std::wstring deep = L"HKCU { ";
    for (int i = 0; i < RegScript::kMaxDepth; ++i) deep += L"k { ";
    for (int i = 0; i < RegScript::kMaxDepth; ++i) deep += L"} ";
    deep += L"}";
    EXPECT_EQ(status::kDispException, Register(deep));
    EXPECT_FALSE(reg_.Exists(L"HKCU\\k"));
}

}  // namespace
