// The registry-script language over the in-memory registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
constexpr Status kSyntax = status::kDispException;

// A value as text: "s:text", "d:number", "b:hex bytes", "m:strings|ending|in|bars|".
std::wstring Describe(const RegValue* v) {
    if (!v) return L"<none>";
    const wchar_t* hex = L"0123456789abcdef";
    std::wstring out;
    switch (v->type) {
        case RegValueType::String: return L"s:" + v->text;
        case RegValueType::Dword: return L"d:" + std::to_wstring(v->number);
        case RegValueType::Binary:
            for (uint8_t b : v->bytes) out += {hex[b >> 4], hex[b & 15]};
            return L"b:" + out;
        case RegValueType::MultiString:
            for (wchar_t c : v->text) out += c ? c : L'|';
            return L"m:" + out;
    }
    return L"?";
}

// One scenario: the registry before ("path" makes a key, "path|name=text" a string value,
// a leading '!' makes the key read-only, '#' denies it), the runs (R register, U
// unregister; all but the last must succeed), the last run's status, and what must hold
// after it ("path" exists, "!path" does not, "path|name=s:text" a value, "=<none>" none).
struct Scenario {
    std::vector<std::wstring> before;
    std::wstring script;
    const char* runs;
    Status status;
    std::vector<std::wstring> after;
};

std::vector<Scenario> Scenarios() {
    const std::wstring longest(4095, L'k'), quotes(4095, L'\''), tooLong(300, L'k');
    std::wstring deep = L"HKCU { ";
    for (int i = 0; i < 2 * RegScript::kMaxDepth; ++i) deep += i < RegScript::kMaxDepth ? L"k { " : L"} ";
    return {
        // Keywords in any case and only in their place: after NoRemove or ForceRemove a
        // keyword is the key's name.
        {{L"HKCR\\Gone\\Sub|=old"},
         L"HKCR { fOrCeReMoVe Gone { VAL v = S 'x' } NoRemove ForceRemove { vAl W = s 'y' } ForceRemove NoRemove Val }",
         "R", status::kOk, {L"!HKCR\\Gone\\Sub", L"HKCR\\Gone|v=s:x", L"HKCR\\ForceRemove|W=s:y", L"HKCR\\Val"}},
        {{}, L"HKCU { K { val d = d ' 4294967295 ' val z = D '0' val b = b '00fFa1zz' val e = b '' "
             L"val m = m 'one\\0two\\0' } }", "R", status::kOk,
         {L"HKCU\\K|d=d:4294967295", L"HKCU\\K|z=d:0", L"HKCU\\K|b=b:00ffa100", L"HKCU\\K|e=b:", L"HKCU\\K|m=m:one|two|"}},
        // Tokens up to 4095 characters, doubled quotes counting once; one more is an error.
        {{}, L"HKCU { val v = s '" + longest + L"' val w = s " + longest + L" val q = s '" + quotes + quotes + L"' }",
         "R", status::kOk, {L"HKCU|v=s:" + longest, L"HKCU|w=s:" + longest, L"HKCU|q=s:" + quotes}},
        {{}, L"HKCU { val x = s '" + longest + L"k' }", "R", kSyntax, {L"HKCU|x=<none>"}},
        {{}, L"HKCU { val x = s " + longest + L"k }", "R", kSyntax, {L"HKCU|x=<none>"}},
        // ForceRemove and Delete spare the protected names; Delete never creates or writes.
        {{L"HKCR\\CLSID\\{x}\\Inner|v=keep", L"HKCR\\software\\Sub|v=keep", L"HKCR\\Plain\\Sub|v=gone",
          L"HKCR\\Doomed\\Deep\\Deeper|v=gone"},
         L"HKCR { ForceRemove clsid ForceRemove Plain Delete SOFTWARE = s 'x' Delete Doomed = s 'x' { Inner } "
         L"Delete Missing }", "R", status::kOk,
         {L"HKCR\\CLSID\\{x}\\Inner|v=s:keep", L"HKCR\\software\\Sub|v=s:keep", L"HKCR\\software|=<none>",
          L"HKCR\\Plain", L"!HKCR\\Plain\\Sub", L"!HKCR\\Doomed", L"!HKCR\\Missing"}},
        // A failing hive block is rolled back; the blocks before it stay.
        {{L"HKCU\\Existing|v=foreign"},
         L"HKLM { First = s '1' }\r\nHKCU { Second = s '2' { Child } NoRemove Existing { val w = s 'w' } Bad\\Name }"
         L"\r\nHKCC { Third }", "R", kSyntax,
         {L"HKLM\\First|=s:1", L"!HKCU\\Second", L"HKCU\\Existing|w=<none>", L"HKCU\\Existing|v=s:foreign",
          L"!HKCC\\Third"}},
        // Registry errors stop the block with their status; reading suffices to walk through.
        {{L"!HKCU\\Locked"}, L"HKCU { New Locked = s 'x' }", "R", kAccessDenied, {L"!HKCU\\New"}},
        {{L"!HKCU\\Locked", L"HKCU\\Locked\\Open"}, L"HKCU { Locked { Open { val v = s 'x' } } }", "R", status::kOk,
         {L"HKCU\\Locked\\Open|v=s:x"}},
        {{L"!HKCU\\Locked"}, L"HKCU { Locked { Fresh } }", "R", kAccessDenied, {}},
        // Unregistering removes what the script names, spares NoRemove and foreign
        // entries, and is no error when everything is gone already.
        {{L"HKCR\\Keep\\Stay|foreign=f"},
         L"HKCR { NoRemove Keep { Mine = s 'x' { val v = s 'y' } NoRemove Stay { val n = s 'z' "
         L"NoRemove val k = s 'k' } } }", "RUU", status::kOk,
         {L"HKCR\\Keep", L"!HKCR\\Keep\\Mine", L"HKCR\\Keep\\Stay|n=<none>", L"HKCR\\Keep\\Stay|k=s:k",
          L"HKCR\\Keep\\Stay|foreign=s:f"}},
        // ForceRemove and Delete mean nothing there, keys with foreign subkeys stay, and
        // errors inside a missing key are ignored; syntax still counts in keys that exist.
        {{L"HKCR\\A\\B", L"HKCR\\A\\Foreign", L"HKCR\\C"},
         L"HKCR { ForceRemove A { Delete B } Missing = q 'x' { Bad\\Name val = } C }", "U", status::kOk,
         {L"HKCR\\A\\Foreign", L"!HKCR\\A\\B", L"!HKCR\\C"}},
        {{L"HKCR\\A"}, L"HKCR { A { Bad\\Name } }", "U", kSyntax, {}},
        {{L"#HKCR\\Hidden", L"HKCR\\Hidden\\Sub"}, L"HKCR { Hidden { Sub } }", "U", kAccessDenied, {}},
        {{L"!HKCR\\ReadOnly|v=x"}, L"HKCR { ReadOnly { val v = s 'x' } }", "U", kAccessDenied,
         {L"HKCR\\ReadOnly|v=s:x"}},
        // A skipped list is read by the grammar, not by counting braces: a value "{" inside
        // the list of a key that is gone (or deleted) does not move the list's end.
        {{}, L"HKCR { K { val v = s '{' } K { val v = s '{' } } HKCU { After }", "RU", status::kOk,
         {L"!HKCR\\K", L"!HKCU\\After"}},
        {{}, L"HKCU { Delete Gone = s x { val v = s '{' } Next }", "R", status::kOk, {L"HKCU\\Next", L"!HKCU\\Gone"}},
        // The list of a deleted key obeys the register grammar, since unregistering may run it.
        {{}, L"HKCR { Delete Doomed { Inner { val y } } Doomed { Inner } }", "R", kSyntax, {L"!HKCR\\Doomed"}},
        {{}, L"HKCU { Delete Gone { Bad\\Name } }", "R", kSyntax, {}},
        {{}, L"HKCU { Delete Gone { val v = q 'x' } }", "R", kSyntax, {}},
        {{L"HKCU\\Gone\\Sub"}, L"HKCU { Delete Gone = s 'x' { NoRemove Sub = d '7' { val v = b '0A' } } }", "R",
         status::kOk, {L"!HKCU\\Gone"}},
        // A name too long for a key names no key: deleting it fails quietly, both ways.
        {{}, L"HKCU { Delete " + tooLong + L" = s 'x' }", "RU", status::kOk, {}},
        {{}, deep, "R", kSyntax, {L"!HKCU\\k"}},  // nested beyond the limit
    };
}

void Prepare(MemoryRegistry& reg, const std::wstring& entry) {
    const size_t bar = entry.find(L'|'), skip = entry[0] == L'!' || entry[0] == L'#' ? 1 : 0;
    const std::wstring path = entry.substr(skip, bar == std::wstring::npos ? std::wstring::npos : bar - skip);
    if (bar == std::wstring::npos) {
        reg.PutKey(path);
    } else {
        const size_t eq = entry.find(L'=', bar);
        RegValue v;
        v.text = entry.substr(eq + 1);
        reg.PutValue(path, entry.substr(bar + 1, eq - bar - 1), v);
    }
    if (skip) reg.SetRights(path, entry[0] == L'!' ? MemoryRegistry::Rights::ReadOnly : MemoryRegistry::Rights::Denied);
}

TEST(RegScript, Scenarios) {
    for (const Scenario& s : Scenarios()) {
        SCOPED_TRACE(testing::PrintToString(s.script.substr(0, 120)));
        MemoryRegistry reg;
        for (const std::wstring& entry : s.before) Prepare(reg, entry);
        for (const char* run = s.runs; *run; ++run) {
            const auto mode = *run == 'R' ? RegScript::Mode::Register : RegScript::Mode::Unregister;
            EXPECT_EQ(run[1] ? status::kOk : s.status, RegScript::Run(s.script, reg, mode)) << "run " << *run;
            EXPECT_EQ(0u, reg.OpenHandles()) << "a key was left open";
        }
        for (const std::wstring& check : s.after) {
            const size_t bar = check.find(L'|');
            if (bar == std::wstring::npos) {
                EXPECT_EQ(check[0] != L'!', reg.Exists(check.substr(check[0] == L'!'))) << testing::PrintToString(check);
            } else {
                const size_t eq = check.find(L'=', bar);
                const RegValue* v = reg.Value(check.substr(0, bar), check.substr(bar + 1, eq - bar - 1));
                EXPECT_EQ(check.substr(eq + 1), Describe(v)) << testing::PrintToString(check.substr(0, eq));
            }
        }
    }
}

TEST(RegScript, HiveNamesLongAndShortInAnyCase) {
    const wchar_t* names[][3] = {
        {L"HKCR", L"hkey_classes_root", L"HKCR"}, {L"hkcu", L"HKEY_CURRENT_USER", L"HKCU"},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", L"HKLM"}, {L"HKU", L"HKEY_USERS", L"HKU"},
        {L"HKPD", L"HKEY_PERFORMANCE_DATA", L"HKPD"}, {L"HKDD", L"HKEY_DYN_DATA", L"HKDD"},
        {L"HKCC", L"Hkey_Current_Config", L"HKCC"},
    };
    for (const auto& n : names) {
        MemoryRegistry reg;
        EXPECT_EQ(status::kOk, RegScript::Run(std::wstring(n[0]) + L" { Short }\r\n" + n[1] + L"\t{\tLong\t}", reg,
                                              RegScript::Mode::Register));
        EXPECT_TRUE(reg.Exists(std::wstring(n[2]) + L"\\Short") && reg.Exists(std::wstring(n[2]) + L"\\Long")) << n[1];
    }
    for (const wchar_t* name : {L"AppID", L"CLSID", L"Component Categories", L"FileType", L"Interface", L"Hardware",
                                L"Mime", L"SAM", L"SECURITY", L"SYSTEM", L"Software", L"TypeLib", L"typelib"})
        EXPECT_TRUE(RegScript::IsProtected(name)) << name;
    EXPECT_FALSE(RegScript::IsProtected(L"CLSIDs"));
}

TEST(RegScript, EveryErrorOfTheLanguage) {
    const struct {
        const wchar_t* script;
        Status expected;
    } cases[] = {
        {L"HKXX { }", kSyntax},                 // unknown hive
        {L"HKCR", kSyntax},                     // hive without a list
        {L"HKCR K { }", kSyntax},               // hive not followed by "{"
        {L"HKCR {", kSyntax},                   // end of text where a token is required
        {L"HKCR { K = s 'open }", kSyntax},     // end inside a quoted token
        {L"HKCR { val V s 'x' }", kSyntax},     // value without "="
        {L"HKCR { K = q 'x' }", kSyntax},       // unknown value type
        {L"HKCR { A\\B }", kSyntax},            // key name with a backslash
        {L"HKCR { 'A\\B' = s 'x' }", kSyntax},
        {L"HKCR { '' = s 'x' }", kSyntax},      // key without a name
        {L"HKU { K = s = s '' }", kSyntax},     // "=" as a value text, then a nameless key
        {L"HKCR { K { { } }", kSyntax},         // a key named like a brace
        {L"HKCR { } junk", kSyntax},            // more than whitespace after the last block
        {L"HKCU { Delete Gone = q 'x' }", kSyntax},
        {L"HKCU { Delete Gone { Sub = d 'x' } }", status::kTypeMismatch},
        {L"HKCR { K=s 'x' }", status::kOk},     // "K=s" is one token: a key name, then 'x'
        {L"HKCR { val B = b 'abc' }", status::kFail},  // odd number of hex digits
        {L"HKCR { val D = d '4294967296' }", status::kOverflow},
    };
    for (const auto& c : cases) {
        MemoryRegistry fresh;
        EXPECT_EQ(c.expected, RegScript::Run(c.script, fresh, RegScript::Mode::Register)) << c.script;
    }
}

// %name% is replaced by its value (names in any case, the first pair added winning), %%
// is a percent sign; unknown, unclosed or over-long names fail.
TEST(RegScript, ReplacementListExpandsNames) {
    qx::ReplacementList list;
    list.Add(L"Module", L"C:\\a''b.dll");
    list.Add(L"MODULE", L"second");
    list.Add(L"APPID", L"{id}");
    list.Add(std::wstring(31, L'x'), L"ok");
    const struct {
        std::wstring in;
        Status status;
        const wchar_t* out;
    } cases[] = {
        {L"%module% 100%% %AppId%%%", status::kOk, L"C:\\a''b.dll 100% {id}%"},
        {L"%" + std::wstring(31, L'x') + L"%", status::kOk, L"ok"},
        {L"", status::kOk, L""},
        {L"%APPID% and more", status::kOk, L"{id} and more"},
        {L"a %" + std::wstring(32, L'x') + L"% b", status::kFail, nullptr},
        {L"%Unknown%", status::kDispException, nullptr},
        {L"%APPID", status::kDispException, nullptr},
        {L"50% off", status::kDispException, nullptr},
    };
    for (const auto& c : cases) {
        std::wstring out;
        EXPECT_EQ(c.status, list.Expand(c.in, &out)) << testing::PrintToString(c.in);
        if (c.out) {
            EXPECT_EQ(c.out, out);
        }
    }
}

}  // namespace
