#pragma once
// The identifiers and names the module's outside contract fixes, written once for the
// tests from the published interface, never taken from the module's own headers: a typo
// on either side fails a test. And an object of one of its classes, made as a client
// makes it.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "common/ComPtr.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv);

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

// The effect components the processors create, by class and creation interface, with the
// name a recording stand-in logs and the effect-list EffectIds each class makes available.
struct ContractComponent {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* iid;
    int effects[3];  // 0: none
};
inline constexpr ContractComponent kContractComponents[] = {
    {L"Equalizer", L"{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}", L"{4BE71351-495E-472C-9120-0F3C19899292}", {1}},
    {L"Eq15", L"{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}", L"{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}", {16}},
    {L"KeyShifting", L"{4B8D75E2-712F-4263-9E68-5965313DDF09}", L"{874B6143-853B-47AB-8618-263A8F285F8C}", {18}},
    {L"VocalFading", L"{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}", L"{77EFACE7-E768-45F3-834D-2986EC878B95}", {17}},
    {L"VocalRemover", L"{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}", L"{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}", {19}},
    {L"Environment", L"{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}", L"{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}", {2}},
    {L"FlexBass", L"{37A6AA01-A5D2-4955-A678-89D76B1B8697}", L"{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}", {3}},
    {L"SmartVolume", L"{F5311147-D9A9-4750-9F1C-B708BD0689B1}", L"{720E3044-EE69-46D1-A1D7-FF46C6AC9176}", {5}},
    {L"AC3", L"{1A074404-3D7B-49D6-B115-AC459BF033E7}", L"{6172F9FC-3AEA-4254-AC18-E770B041C9C7}", {}},
    {L"DTS", L"{88A5ABC0-F5B3-492D-AD5F-230DDB7F7EDC}", L"{4F56074F-024D-4088-857E-E8D3C3D0C068}", {}},
    {L"Monitor", L"{745979CD-0146-4FB5-8FD3-285B9B7B4905}", L"{241B8849-E376-4DBF-B133-A0199B4A4A7D}", {}},
    {L"Nuvex", L"{80E1C92D-E30A-4A98-BF80-98752A7744FD}", L"{D4FD14B2-6E4E-4265-829C-C2B944958903}", {10, 11}},
    {L"Shifter", L"{B6A6B665-9A9D-48C1-B5FB-0C304BB7AEC9}", L"{D2FE8EA6-21AF-4504-BEB3-33F948096AE7}", {4}},
    {L"Dolby", L"{A59C7ABD-C71D-49E2-AEF5-1232C4141B26}", L"{BA79F822-CFA5-4966-B25E-32162DD4DC7C}", {6}},
    {L"ProLogic", L"{F446A679-4FAE-4381-9E33-31FE4ADBC632}", L"{D67AD945-D47F-4187-AC9A-B007D63AA645}", {7}},
    {L"Sensation", L"{CCF7561E-9337-4DF4-8E69-1A65EE4234C1}", L"{CACD8173-5241-4CB7-8FDD-C0EA9F2B849A}", {9}},
    {L"Neo", L"{9B16B630-9215-4BDA-81A9-8F8F87370545}", L"{20F26CAC-98E9-42DC-B91D-CDC359B74702}", {8}},
    {L"Clarity", L"{A95F8854-F18F-4150-9FC5-D0D83A3DA55E}", L"{43348B49-71EC-4C4F-B2AB-89D9D0C7F682}", {12}},
    {L"enc", L"{29C23824-0A78-41D7-822B-E07AEC90B8F9}", L"{26AB0E01-BFB6-470B-BADE-C1BF64638178}", {23}},
    {L"voice", L"{4DE3EA62-07BA-4EE5-845A-0994F4E3E481}", L"{335675DC-35B7-4F63-A12F-488762DB2593}", {20, 21}},
    {L"noise", L"{53C240C7-8E89-4F1B-9004-D1980C4705BF}", L"{0DB487B1-7058-4CA0-B14E-E9B32FAFA639}", {22, 24, 25}},
    {L"mix", L"{45BB743B-4FD2-4B4A-AE9A-E09E8C298CFB}", L"{CFDEA0A4-D558-4191-99B1-B93DCDBF3CDE}", {26}},
    {L"Pcee", L"{BC8E3B67-3306-4EEF-B230-6798E9A67F0B}", L"{00000000-0000-0000-C000-000000000046}", {27}},
    {L"ZurAec", L"{C6606CA5-2108-4CAF-8E52-1953F2DBF716}", L"{CF743829-4C33-457D-82CB-A00DE3308CD5}", {28}},
};

// The GUID a "{...}" text names (all zero when the text is no GUID).
inline GUID ContractGuid(const wchar_t* text) {
    GUID guid = {};
    IIDFromString(text, &guid);
    return guid;
}

// An object of class `c` asked for `iid` through the module's class factory; null, and a
// failed check, when either step fails.
template <class T = IUnknown>
ComPtr<T> NewContractObject(const ContractClass& c, REFIID iid, IUnknown* outer = nullptr) {
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    EXPECT_EQ(S_OK, DllGetClassObject(ContractGuid(c.clsid), IID_IClassFactory, factory.PutVoid()));
    if (factory) {
        EXPECT_EQ(S_OK, factory->CreateInstance(outer, iid, object.PutVoid()));
    }
    return object;
}

}  // namespace qx::test
