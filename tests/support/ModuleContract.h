#pragma once
// The identifiers and names the module's outside contract fixes, written once for the
// tests from the published interface, never taken from the module's own headers: a typo
// on either side fails a test.
#include <windows.h>
#include <objbase.h>

namespace qx::test {

struct ContractClass {
    const wchar_t* name;  // the dual interface is "I" + name
    const wchar_t* clsid;
    const wchar_t* dualIid;
    bool processor;  // answers the processing interface
};

// In the module's class-table order.
inline constexpr ContractClass kContractClasses[] = {
    {L"QXGFXLib", L"{23334AEA-8A5F-4794-A092-CBC24957FF00}", L"{B1549114-AB53-48A9-B74C-5EAF4C1F9880}", true},
    {L"QXLFXLib", L"{32F6E317-3CC6-4B29-A810-911C62895185}", L"{71C5CD9D-5CB8-4448-8AFE-FE51BF7243C8}", true},
    {L"QXMicLFXLib", L"{23DA0710-3679-4E19-9736-9BAC5DE8F179}", L"{86A7FBBD-56B3-4C3A-AF30-6F7F0EDBB676}", true},
    {L"QXUIExtLib", L"{728D8FF0-ECA3-4CEC-A120-7DC001059E0D}", L"{99B9F60F-FFD3-4D06-B020-CAE0259E307B}", false},
};
inline constexpr wchar_t kContractAppId[] = L"{637833AA-D96E-4A98-8894-2F22D5B7E211}";
inline constexpr wchar_t kContractLibId[] = L"{C3A7D52C-BD07-46A6-8179-997334109904}";
inline constexpr wchar_t kContractProcessorIid[] = L"{491EC4BE-4EE1-49E5-B56F-EF23DB386121}";

// The GUID a "{...}" text names (all zero when the text is no GUID).
inline GUID ContractGuid(const wchar_t* text) {
    GUID guid = {};
    IIDFromString(text, &guid);
    return guid;
}

}  // namespace qx::test
