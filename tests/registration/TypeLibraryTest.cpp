// The type library built into the module, read back through ITypeLib and ITypeInfo;
// IDispatch of the four classes through it once it is registered, with the dispatch
// slots of the processing interface; and the module's version resource.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "frame/Module.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/registration/BuiltModule.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/Processors.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

namespace qx::test {
namespace {

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

template <class T>
ComPtr<T> Create(const ContractClass& c) {
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    if (SUCCEEDED(DllGetClassObject(ContractGuid(c.clsid), IID_IClassFactory, factory.PutVoid())))
        factory->CreateInstance(nullptr, __uuidof(T), object.PutVoid());
    return object;
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

    BuiltModule module_;
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
        ComPtr<IDispatch> object = Create<IDispatch>(c);
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
        ComPtr<IDispatch> object = Create<IDispatch>(c);
        ASSERT_TRUE(coclass && object);
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, kLocale, dispatch.Put()));
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, LOCALE_NEUTRAL, again.Put()));
        EXPECT_EQ(dispatch.Get(), again.Get());
        const TYPEATTR classAttr = Attributes(coclass.Get()), dispatchAttr = Attributes(dispatch.Get());
        EXPECT_EQ(name + L" Class", Doc(library_.Get(), INT(2 * i), true));
        EXPECT_EQ(L"I" + name + L" Interface", Doc(library_.Get(), INT(2 * i + 1), true));
        EXPECT_EQ(L"I" + name, Doc(library_.Get(), INT(2 * i + 1)));
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
        EXPECT_EQ(L"IDispatch", Name(base.Get()));
        ComPtr<ITypeLib> baseLibrary;
        UINT index = 0;
        ASSERT_EQ(S_OK, base->GetContainingTypeLib(baseLibrary.Put(), &index));
        EXPECT_EQ(L"stdole", Doc(baseLibrary.Get(), -1));

        ComPtr<IQXEffectProcessor> processor;
        EXPECT_EQ(c.processor, SUCCEEDED(object.As(processor)));
        if (processor) ExpectProcessorDispatchDescribesNothing(processor.Get(), kLocale);
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

// The call reaches the object's method with its arguments: the count is set to 0 first
// (an object that is no device adds nothing), and a null device is refused, which comes
// back as an exception carrying the method's status.
TEST_F(TypeLibrary, InvokeCallsTheEffectListWithItsArguments) {
    Register();
    ComPtr<IDispatch> object = Create<IDispatch>(kContractClasses[3]);
    ASSERT_TRUE(object);
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
