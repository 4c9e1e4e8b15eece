#pragma once
// The module's registration scripts exactly as they must be embedded (ANSI, tabs,
// CR LF), written out independently of the resource files, plus the class names and
// identifiers the tests check registration results against.
#include <string>

namespace qx::test {

inline constexpr char kAppIdScript[] =
    "HKCR\r\n"
    "{\r\n"
    "\tNoRemove AppID\r\n"
    "\t{\r\n"
    "\t\t'%APPID%' = s 'QXAPOMain'\r\n"
    "\t\t'QXAPOMain.DLL'\r\n"
    "\t\t{\r\n"
    "\t\t\tval AppID = s '%APPID%'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n";

struct ScriptClass {
    int resource;
    const char* name;
    const char* clsid;
};
inline constexpr ScriptClass kScriptClasses[] = {
    {104, "QXGFXLib", "{23334AEA-8A5F-4794-A092-CBC24957FF00}"},
    {102, "QXLFXLib", "{32F6E317-3CC6-4B29-A810-911C62895185}"},
    {103, "QXMicLFXLib", "{23DA0710-3679-4E19-9736-9BAC5DE8F179}"},
    {105, "QXUIExtLib", "{728D8FF0-ECA3-4CEC-A120-7DC001059E0D}"},
};

inline constexpr char kAppId[] = "{637833AA-D96E-4A98-8894-2F22D5B7E211}";
inline constexpr char kLibId[] = "{C3A7D52C-BD07-46A6-8179-997334109904}";

inline std::string ClassScript(const ScriptClass& c) {
    const std::string n = c.name, id = c.clsid;
    return "HKCR\r\n"
           "{\r\n"
           "\tQXAPOMain." + n + ".1 = s '" + n + " Class'\r\n"
           "\t{\r\n"
           "\t\tCLSID = s '" + id + "'\r\n"
           "\t}\r\n"
           "\tQXAPOMain." + n + " = s '" + n + " Class'\r\n"
           "\t{\r\n"
           "\t\tCLSID = s '" + id + "'\r\n"
           "\t\tCurVer = s 'QXAPOMain." + n + ".1'\r\n"
           "\t}\r\n"
           "\tNoRemove CLSID\r\n"
           "\t{\r\n"
           "\t\tForceRemove " + id + " = s '" + n + " Class'\r\n"
           "\t\t{\r\n"
           "\t\t\tProgID = s 'QXAPOMain." + n + ".1'\r\n"
           "\t\t\tVersionIndependentProgID = s 'QXAPOMain." + n + "'\r\n"
           "\t\t\tForceRemove 'Programmable'\r\n"
           "\t\t\tInprocServer32 = s '%MODULE%'\r\n"
           "\t\t\t{\r\n"
           "\t\t\t\tval ThreadingModel = s 'Both'\r\n"
           "\t\t\t}\r\n"
           "\t\t\tval AppID = s '%APPID%'\r\n"
           "\t\t\t'TypeLib' = s '" + kLibId + "'\r\n"
           "\t\t}\r\n"
           "\t}\r\n"
           "}\r\n";
}

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace qx::test
