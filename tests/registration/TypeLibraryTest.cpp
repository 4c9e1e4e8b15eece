// The type library built into the module, read back through ITypeLib and ITypeInfo.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "tests/registration/BuiltModule.h"

namespace qx::test {
namespace {

using UniqueBstr = std::unique_ptr<OLECHAR, decltype(&SysFreeString)>;

std::wstring Take(BSTR text) {
    const UniqueBstr owned(text, &SysFreeString);
    return text ? std::wstring(text, SysStringLen(text)) : L"<null>";
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Name and help string of a library member (-1: the library itself).
struct Doc {
    std::wstring name, help, helpFile;
};
Doc Documentation(ITypeLib* library, INT index) {
    BSTR name = nullptr, help = nullptr, file = nullptr;
    library->GetDocumentation(index, &name, &help, nullptr, &file);
    return {Take(name), Take(help), Take(file)};
}

// A description that an ITypeInfo hands out through Get (called with `args`, then the
// out pointer) and takes back through Give when the holder goes.
template <class T, auto Get, void (STDMETHODCALLTYPE ITypeInfo::*Give)(T*)>
class TypeInfoPart {
public:
    template <class... Args>
    explicit TypeInfoPart(ITypeInfo* info, Args... args) : info_(info) {
        (info_->*Get)(args..., &part_);
    }
    ~TypeInfoPart() {
        if (part_) (info_->*Give)(part_);
    }
    TypeInfoPart(const TypeInfoPart&) = delete;
    TypeInfoPart& operator=(const TypeInfoPart&) = delete;
    const T* operator->() const { return part_; }
    explicit operator bool() const { return part_ != nullptr; }

private:
    ITypeInfo* info_;
    T* part_ = nullptr;
};
using TypeAttr = TypeInfoPart<TYPEATTR, &ITypeInfo::GetTypeAttr, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = TypeInfoPart<FUNCDESC, &ITypeInfo::GetFuncDesc, &ITypeInfo::ReleaseFuncDesc>;

class TypeLibrary : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, LoadTypeLibEx(BuiltModulePath().c_str(), REGKIND_NONE, library_.Put()));
    }

    // The name a type description refers to: a base type as "VT n", a pointer as
    // "*" + target, a user-defined type by its name.
    std::wstring TypeName(ITypeInfo* context, const TYPEDESC& type) {
        if (type.vt == VT_PTR) return L"*" + TypeName(context, *type.lptdesc);
        if (type.vt != VT_USERDEFINED) return L"VT " + std::to_wstring(type.vt);
        ComPtr<ITypeInfo> target;
        if (FAILED(context->GetRefTypeInfo(type.hreftype, target.Put()))) return L"<unresolved>";
        BSTR name = nullptr;
        target->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        return Take(name);
    }

    ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, LibraryAttributes) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library_->GetLibAttr(&attr));
    EXPECT_EQ(L"{C3A7D52C-BD07-46A6-8179-997334109904}", GuidText(attr->guid));
    EXPECT_EQ(0x0409u, attr->lcid);
    EXPECT_EQ(SYS_WIN64, attr->syskind);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    library_->ReleaseTLibAttr(attr);
    const Doc doc = Documentation(library_.Get(), -1);
    EXPECT_EQ(L"QXAPOMainLib", doc.name);
    EXPECT_EQ(L"QXAPOMain 1.0 Type Library", doc.help);
    EXPECT_EQ(L"<null>", doc.helpFile);
}

TEST_F(TypeLibrary, EntriesInOrder) {
    const struct {
        const wchar_t* name;
        TYPEKIND kind;
        const wchar_t* guid;  // null: not checked
        const wchar_t* help;
    } expected[] = {
        {L"QXLFXLib", TKIND_COCLASS, L"{32F6E317-3CC6-4B29-A810-911C62895185}", L"QXLFXLib Class"},
        {L"IQXLFXLib", TKIND_DISPATCH, L"{71C5CD9D-5CB8-4448-8AFE-FE51BF7243C8}", L"IQXLFXLib Interface"},
        {L"QXMicLFXLib", TKIND_COCLASS, L"{23DA0710-3679-4E19-9736-9BAC5DE8F179}", L"QXMicLFXLib Class"},
        {L"IQXMicLFXLib", TKIND_DISPATCH, L"{86A7FBBD-56B3-4C3A-AF30-6F7F0EDBB676}", L"IQXMicLFXLib Interface"},
        {L"QXGFXLib", TKIND_COCLASS, L"{23334AEA-8A5F-4794-A092-CBC24957FF00}", L"QXGFXLib Class"},
        {L"IQXGFXLib", TKIND_DISPATCH, L"{B1549114-AB53-48A9-B74C-5EAF4C1F9880}", L"IQXGFXLib Interface"},
        {L"QXUIExtLib", TKIND_COCLASS, L"{728D8FF0-ECA3-4CEC-A120-7DC001059E0D}", L"QXUIExtLib Class"},
        {L"IQXUIExtLib", TKIND_DISPATCH, L"{99B9F60F-FFD3-4D06-B020-CAE0259E307B}", L"IQXUIExtLib Interface"},
    };
    ASSERT_GE(library_->GetTypeInfoCount(), UINT(std::size(expected)));
    for (UINT i = 0; i < std::size(expected); ++i) {
        const Doc doc = Documentation(library_.Get(), INT(i));
        EXPECT_EQ(expected[i].name, doc.name) << i;
        EXPECT_EQ(expected[i].help, doc.help) << i;
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library_->GetTypeInfo(i, info.Put()));
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr);
        EXPECT_EQ(expected[i].kind, attr->typekind) << expected[i].name;
        EXPECT_EQ(expected[i].guid, GuidText(attr->guid)) << expected[i].name;
    }
}

TEST_F(TypeLibrary, HelperTypesFollowTheClassesInOrder) {
    std::vector<std::wstring> names;
    for (UINT i = 8; i < library_->GetTypeInfoCount(); ++i) names.push_back(Documentation(library_.Get(), INT(i)).name);
    const auto position = [&](const wchar_t* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    EXPECT_LT(position(L"wireHWND"), position(L"LONG_PTR"));
    EXPECT_LT(position(L"LONG_PTR"), position(L"_tagpropertykey"));
    EXPECT_LT(position(L"_tagpropertykey"), ptrdiff_t(names.size()));

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, library_->GetTypeInfo(8 + UINT(position(L"wireHWND")), info.Put()));
    {
        TypeAttr attr(info.Get());
        EXPECT_EQ(TKIND_ALIAS, attr->typekind);
        EXPECT_EQ(L"*_RemotableHandle", TypeName(info.Get(), attr->tdescAlias));
    }
    ASSERT_EQ(S_OK, library_->GetTypeInfo(8 + UINT(position(L"LONG_PTR")), info.Put()));
    {
        TypeAttr attr(info.Get());
        EXPECT_EQ(TKIND_ALIAS, attr->typekind);
        EXPECT_EQ(VT_I8, attr->tdescAlias.vt);
    }
    ASSERT_EQ(S_OK, library_->GetTypeInfo(8 + UINT(position(L"_tagpropertykey")), info.Put()));
    TypeAttr attr(info.Get());
    EXPECT_EQ(TKIND_RECORD, attr->typekind);
    ASSERT_EQ(2, attr->cVars);
    const wchar_t* fields[][2] = {{L"fmtid", L"GUID"}, {L"pid", L"VT 19"}};
    for (UINT i = 0; i < 2; ++i) {
        VARDESC* var = nullptr;
        ASSERT_EQ(S_OK, info->GetVarDesc(i, &var));
        BSTR name = nullptr;
        info->GetDocumentation(var->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(fields[i][0], Take(name));
        EXPECT_EQ(fields[i][1], TypeName(info.Get(), var->elemdescVar.tdesc));
        info->ReleaseVarDesc(var);
    }
}

TEST_F(TypeLibrary, ClassesAreCreatableWithTheirDefaultInterface) {
    const wchar_t* classes[][2] = {{L"QXLFXLib", L"IQXLFXLib"},
                                   {L"QXMicLFXLib", L"IQXMicLFXLib"},
                                   {L"QXGFXLib", L"IQXGFXLib"},
                                   {L"QXUIExtLib", L"IQXUIExtLib"}};
    for (UINT i = 0; i < 4; ++i) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library_->GetTypeInfo(2 * i, info.Put()));
        TypeAttr attr(info.Get());
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE) << classes[i][0];
        ASSERT_EQ(1, attr->cImplTypes) << classes[i][0];
        INT flags = 0;
        info->GetImplTypeFlags(0, &flags);
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags) << classes[i][0];
        HREFTYPE ref = 0;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &ref));
        ComPtr<ITypeInfo> dual;
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, dual.Put()));
        BSTR name = nullptr;
        dual->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(classes[i][1], Take(name));
    }
}

// The vtable side of each dual interface: flags, the IDispatch base from the standard
// automation library, and the methods.
TEST_F(TypeLibrary, DualInterfacesDeriveFromIDispatch) {
    const UINT expectedMethods[] = {0, 0, 0, 7};
    for (UINT i = 0; i < 4; ++i) {
        ComPtr<ITypeInfo> dispatch, vtable;
        ASSERT_EQ(S_OK, library_->GetTypeInfo(2 * i + 1, dispatch.Put()));
        HREFTYPE ref = 0;
        ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(UINT(-1), &ref));
        ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, vtable.Put()));
        TypeAttr attr(vtable.Get());
        EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
        const WORD flags = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
        EXPECT_EQ(flags, attr->wTypeFlags & flags) << i;
        EXPECT_EQ(expectedMethods[i], attr->cFuncs) << i;

        ComPtr<ITypeInfo> base;
        ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &ref));
        ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(ref, base.Put()));
        BSTR name = nullptr;
        base->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(L"IDispatch", Take(name));
        ComPtr<ITypeLib> baseLibrary;
        UINT index = 0;
        ASSERT_EQ(S_OK, base->GetContainingTypeLib(baseLibrary.Put(), &index));
        EXPECT_EQ(L"stdole", Documentation(baseLibrary.Get(), -1).name);
    }
}

TEST_F(TypeLibrary, EffectListMethods) {
    const struct {
        MEMBERID id;
        const wchar_t* name;
        std::vector<std::wstring> params;  // "name type in|out"
    } expected[] = {
        {1, L"GetNumDSPSupported", {L"pDeviceUnk VT 13 in", L"pulNumDSP *VT 19 out"}},
        {2, L"EffectList_Initialize",
         {L"hListControl wireHWND in", L"pwstrEndpointID VT 31 in", L"pFxPropertiesUnk VT 13 in"}},
        {3, L"EffectList_GetStatusString",
         {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in", L"pwstrStatus *VT 18 out",
          L"cStringSize VT 19 in", L"pbSettingsButtonAvailable *VT 17 out"}},
        {4, L"EffectList_SetState", {L"pPropertiesUnk VT 13 in"}},
        {5, L"EffectList_SettingsDialog", {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in"}},
        {6, L"EffectList_ItemChanged",
         {L"hListControl wireHWND in", L"pNMListView LONG_PTR in", L"pbNotifyParent *VT 17 out"}},
        {7, L"EffectList_PropertyValueChanged",
         {L"hListControl wireHWND in", L"pFxPropertiesUnk VT 13 in", L"key _tagpropertykey in"}},
    };
    ComPtr<ITypeInfo> dispatch, info;
    ASSERT_EQ(S_OK, library_->GetTypeInfo(7, dispatch.Put()));
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(UINT(-1), &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, info.Put()));
    for (UINT i = 0; i < std::size(expected); ++i) {
        FuncDesc func(info.Get(), i);
        ASSERT_TRUE(func);
        EXPECT_EQ(expected[i].id, func->memid);
        EXPECT_EQ(SHORT((7 + i) * sizeof(void*)), func->oVft) << "slot after IUnknown and IDispatch";
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        BSTR names[8] = {};
        UINT count = 0;
        ASSERT_EQ(S_OK, info->GetNames(func->memid, names, 8, &count));
        EXPECT_EQ(expected[i].name, Take(names[0]));
        ASSERT_EQ(expected[i].params.size() + 1, count) << expected[i].name;
        ASSERT_EQ(SHORT(expected[i].params.size()), func->cParams);
        for (UINT p = 0; p < expected[i].params.size(); ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            const USHORT direction = param.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT);
            const std::wstring shown = Take(names[p + 1]) + L" " + TypeName(info.Get(), param.tdesc) +
                                       (direction == PARAMFLAG_FIN ? L" in" : direction == PARAMFLAG_FOUT ? L" out" : L" ?");
            EXPECT_EQ(expected[i].params[p], shown);
        }
        BSTR help = nullptr;
        info->GetDocumentation(func->memid, nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(std::wstring(L"method ") + expected[i].name, Take(help));
    }
}

}  // namespace
}  // namespace qx::test
