// IDispatch of the four classes through the registered type library, the dispatch slots
// of the processing interface, and the module's version resource.
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

template <class T>
ComPtr<T> Create(const ContractClass& c) {
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    if (SUCCEEDED(DllGetClassObject(ContractGuid(c.clsid), IID_IClassFactory, factory.PutVoid())))
        factory->CreateInstance(nullptr, __uuidof(T), object.PutVoid());
    return object;
}

HRESULT NameToId(IDispatch* object, const wchar_t* name, DISPID* id) {
    LPOLESTR text = const_cast<LPOLESTR>(name);
    return object->GetIDsOfNames(IID_NULL, &text, 1, kLocale, id);
}

class Dispatch : public testing::Test {
protected:
    // Type information is loaded afresh in every test, as after a reload of the module.
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
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

    BuiltModule module_;
    bool registered_ = false;
};

TEST_F(Dispatch, WithoutRegistrationEveryLookupFailsWithTheLoadError) {
    ComPtr<ITypeLib> library;
    const HRESULT loadError = LoadRegTypeLib(ContractGuid(kContractLibId), 1, 0, kLocale, library.Put());
    ASSERT_TRUE(FAILED(loadError));
    for (const ContractClass& c : kContractClasses) {
        ComPtr<IDispatch> object = Create<IDispatch>(c);
        ASSERT_TRUE(object);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(loadError, object->GetTypeInfo(0, kLocale, &info));
        EXPECT_EQ(nullptr, info);
        DISPID id = 0;
        EXPECT_EQ(loadError, NameToId(object.Get(), L"EffectList_SetState", &id));
        DISPPARAMS none = {};
        EXPECT_EQ(loadError, object->Invoke(4, IID_NULL, kLocale, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    }
}

TEST_F(Dispatch, RegisteredLibraryDescribesEachDefaultInterfaceOnce) {
    Register();
    for (const ContractClass& c : kContractClasses) {
        ComPtr<IDispatch> object = Create<IDispatch>(c);
        ASSERT_TRUE(object);
        ComPtr<ITypeInfo> info, again;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, kLocale, info.Put()));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_TRUE(IsEqualIID(ContractGuid(c.dualIid), attr->guid)) << c.name;
        EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
        info->ReleaseTypeAttr(attr);
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, LOCALE_NEUTRAL, again.Put()));
        EXPECT_EQ(info.Get(), again.Get());  // loaded once, whatever the locale
    }
}

// The call reaches the object's method with its arguments: the count is set to 0 first
// (an object that is no device adds nothing), and a null device is refused, which comes
// back as an exception carrying the method's status.
TEST_F(Dispatch, InvokeCallsTheEffectListWithItsArguments) {
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

// The processing interface is not in the library, registered or not.
TEST_F(Dispatch, ProcessorInterfaceSlotsDescribeNothingWhenRegistered) {
    Register();
    for (const ContractClass& c : kContractClasses) {
        if (!c.processor) continue;
        ComPtr<IQXEffectProcessor> processor = Create<IQXEffectProcessor>(c);
        ASSERT_TRUE(processor) << c.name;
        ExpectProcessorDispatchDescribesNothing(processor.Get(), kLocale);
    }
}

TEST(VersionResource, NamesTheModuleAndItsVersion) {
    const std::wstring path = BuiltModulePath();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD numbers[] = {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                             fixed->dwProductVersionLS};
    EXPECT_EQ((std::vector<DWORD>{0x00010000, 0x00000001, 0x00010000, 0x00000001}),
              std::vector<DWORD>(std::begin(numbers), std::end(numbers)));
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {{L"FileVersion", L"1.0.0.1"},
                                                                 {L"ProductVersion", L"1.0.0.1"},
                                                                 {L"InternalName", L"QXAPOMain.dll"},
                                                                 {L"OriginalFilename", L"QXAPOMain.dll"}};
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
