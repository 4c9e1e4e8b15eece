// The type library built into the module, read back through ITypeLib and ITypeInfo.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "tests/registration/BuiltModule.h"
#include "tests/support/ModuleContract.h"

namespace qx::test {
namespace {

std::wstring Take(BSTR text) {
    const std::wstring owned = text ? std::wstring(text, SysStringLen(text)) : L"<null>";
    SysFreeString(text);
    return owned;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return Take(name);
}

// The name a type description refers to: a base type as "VT n", a pointer as "*" +
// target, a user-defined type by its name.
std::wstring TypeName(ITypeInfo* context, const TYPEDESC& type) {
    if (type.vt == VT_PTR) return L"*" + TypeName(context, *type.lptdesc);
    if (type.vt != VT_USERDEFINED) return L"VT " + std::to_wstring(type.vt);
    ComPtr<ITypeInfo> target;
    return SUCCEEDED(context->GetRefTypeInfo(type.hreftype, target.Put())) ? Name(target.Get()) : L"<unresolved>";
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
    void SetUp() override { ASSERT_EQ(S_OK, LoadTypeLibEx(BuiltModulePath().c_str(), REGKIND_NONE, library_.Put())); }
    ComPtr<ITypeInfo> Entry(UINT index) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library_->GetTypeInfo(index, info.Put())) << index;
        return info;
    }
    ComPtr<ITypeLib> library_;
};

// Identifier, version, locale and platform of the library are what its registration
// key is made of, checked by the registration walk.
TEST_F(TypeLibrary, LibraryNames) {
    BSTR name = nullptr, help = nullptr, file = nullptr;
    library_->GetDocumentation(-1, &name, &help, nullptr, &file);
    EXPECT_EQ(L"QXAPOMainLib", Take(name));
    EXPECT_EQ(L"QXAPOMain 1.0 Type Library", Take(help));
    EXPECT_EQ(L"<null>", Take(file));
}

// Each class, then its dual interface: creatable coclass with the dual interface as its
// default, the interface dual, non-extensible and automation-compatible on IDispatch of
// the standard automation library.
TEST_F(TypeLibrary, ClassesAndDualInterfacesInOrder) {
    const struct {
        const ContractClass& c;
        SHORT methods;
    } expected[] = {{kContractClasses[1], 0}, {kContractClasses[2], 0}, {kContractClasses[0], 0},
                    {kContractClasses[3], 7}};
    for (UINT i = 0; i < 4; ++i) {
        const std::wstring name = expected[i].c.name;
        SCOPED_TRACE(name);
        ComPtr<ITypeInfo> coclass = Entry(2 * i), dispatch = Entry(2 * i + 1);
        ASSERT_TRUE(coclass && dispatch);
        const TYPEATTR classAttr = Attributes(coclass.Get()), dispatchAttr = Attributes(dispatch.Get());
        BSTR help = nullptr;
        library_->GetDocumentation(INT(2 * i), nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(name + L" Class", Take(help));
        library_->GetDocumentation(INT(2 * i + 1), nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(L"I" + name + L" Interface", Take(help));
        EXPECT_EQ(name, Name(coclass.Get()));
        EXPECT_EQ(TKIND_COCLASS, classAttr.typekind);
        EXPECT_EQ(expected[i].c.clsid, GuidText(classAttr.guid));
        EXPECT_TRUE(classAttr.wTypeFlags & TYPEFLAG_FCANCREATE);
        ASSERT_EQ(1, classAttr.cImplTypes);
        INT flags = 0;
        coclass->GetImplTypeFlags(0, &flags);
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
        ComPtr<ITypeInfo> defaultInterface = Referenced(coclass.Get(), 0);
        ASSERT_TRUE(defaultInterface);
        EXPECT_EQ(L"I" + name, Name(defaultInterface.Get()));

        EXPECT_EQ(TKIND_DISPATCH, dispatchAttr.typekind);
        EXPECT_EQ(expected[i].c.dualIid, GuidText(dispatchAttr.guid));
        ComPtr<ITypeInfo> vtable = Referenced(dispatch.Get(), UINT(-1));
        ASSERT_TRUE(vtable);
        const TYPEATTR vtableAttr = Attributes(vtable.Get());
        const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
        EXPECT_EQ(dual, vtableAttr.wTypeFlags & dual);
        EXPECT_EQ(expected[i].methods, vtableAttr.cFuncs);
        ComPtr<ITypeInfo> base = Referenced(vtable.Get(), 0);
        ASSERT_TRUE(base);
        EXPECT_EQ(L"IDispatch", Name(base.Get()));
        ComPtr<ITypeLib> baseLibrary;
        UINT index = 0;
        ASSERT_EQ(S_OK, base->GetContainingTypeLib(baseLibrary.Put(), &index));
        BSTR baseName = nullptr;
        baseLibrary->GetDocumentation(-1, &baseName, nullptr, nullptr, nullptr);
        EXPECT_EQ(L"stdole", Take(baseName));
    }
}

TEST_F(TypeLibrary, EffectListMethods) {
    const struct {
        const wchar_t* name;
        std::vector<std::wstring> params;  // "name type in|out"
    } expected[] = {
        {L"GetNumDSPSupported", {L"pDeviceUnk VT 13 in", L"pulNumDSP *VT 19 out"}},
        {L"EffectList_Initialize",
         {L"hListControl wireHWND in", L"pwstrEndpointID VT 31 in", L"pFxPropertiesUnk VT 13 in"}},
        {L"EffectList_GetStatusString",
         {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in", L"pwstrStatus *VT 18 out",
          L"cStringSize VT 19 in", L"pbSettingsButtonAvailable *VT 17 out"}},
        {L"EffectList_SetState", {L"pPropertiesUnk VT 13 in"}},
        {L"EffectList_SettingsDialog", {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in"}},
        {L"EffectList_ItemChanged",
         {L"hListControl wireHWND in", L"pNMListView LONG_PTR in", L"pbNotifyParent *VT 17 out"}},
        {L"EffectList_PropertyValueChanged",
         {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in", L"key _tagpropertykey in"}},
    };
    ComPtr<ITypeInfo> info = Referenced(Entry(7).Get(), UINT(-1));
    ASSERT_TRUE(info);
    for (UINT i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
        EXPECT_EQ(MEMBERID(i + 1), func->memid);
        EXPECT_EQ(SHORT((7 + i) * sizeof(void*)), func->oVft) << "slot after IUnknown and IDispatch";
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(func->memid, names, 8, &count);
        std::vector<std::wstring> params;
        for (UINT p = 0; p < UINT(func->cParams) && p + 1 < count; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            const USHORT direction = param.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT);
            params.push_back(Take(names[p + 1]) + L" " + TypeName(info.Get(), param.tdesc) +
                             (direction == PARAMFLAG_FIN ? L" in" : direction == PARAMFLAG_FOUT ? L" out" : L" ?"));
        }
        EXPECT_EQ(expected[i].name, Take(names[0]));
        EXPECT_EQ(expected[i].params, params);
        info->ReleaseFuncDesc(func);
        BSTR help = nullptr;
        info->GetDocumentation(MEMBERID(i + 1), nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(std::wstring(L"method ") + expected[i].name, Take(help));
    }
}

}  // namespace
}  // namespace qx::test
