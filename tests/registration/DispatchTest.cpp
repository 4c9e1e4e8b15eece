// IDispatch of the four classes through the registered type library, and the dispatch
// slots of the processing interface.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <memory>

#include "common/ComPtr.h"
#include "frame/DualDispatch.h"
#include "frame/Identifiers.h"
#include "frame/Module.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/registration/BuiltModule.h"
#include "tests/support/Processors.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

namespace qx::test {
namespace {

const struct {
    const CLSID* clsid;
    const IID* iid;
} kClasses[] = {
    {&CLSID_QXGFXLib, &__uuidof(IQXGFXLib)},
    {&CLSID_QXLFXLib, &__uuidof(IQXLFXLib)},
    {&CLSID_QXMicLFXLib, &__uuidof(IQXMicLFXLib)},
    {&CLSID_QXUIExtLib, &__uuidof(IQXUIExtLib)},
};
const CLSID* const kProcessors[] = {&CLSID_QXGFXLib, &CLSID_QXLFXLib, &CLSID_QXMicLFXLib};

// The caller's locale selects the registered library; it is registered for US English.
constexpr LCID kLocale = 0x0409;

template <class T>
ComPtr<T> Create(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    if (SUCCEEDED(DllGetClassObject(clsid, IID_IClassFactory, factory.PutVoid())))
        factory->CreateInstance(nullptr, __uuidof(T), object.PutVoid());
    return object;
}

// A VT_UNKNOWN argument; the caller keeps the reference.
VARIANT UnknownArgument(IUnknown* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_UNKNOWN;
    V_UNKNOWN(&v) = value;
    return v;
}

// What loading the library from the registry answers right now.
HRESULT RegistryLoadResult() {
    ComPtr<ITypeLib> library;
    return LoadRegTypeLib(LIBID_QXAPOMainLib, 1, 0, kLocale, library.Put());
}

// The built module registered for the lifetime of this object.
class Registered {
public:
    explicit Registered(const BuiltModule& module) : module_(module) { ok_ = module_.Register() == S_OK; }
    ~Registered() { EXPECT_EQ(S_OK, module_.Unregister()); }
    bool Ok() const { return ok_; }

private:
    const BuiltModule& module_;
    bool ok_;
};

class Dispatch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
        ForgetTypeInformation();
    }
    void TearDown() override { ForgetTypeInformation(); }
    // An unload and reload of the module: type information is loaded afresh.
    static void ForgetTypeInformation() {
        Module::Shutdown();
        Module::Startup(GetModuleHandleW(nullptr));
    }

    BuiltModule module_;
};

TEST_F(Dispatch, CountAndArgumentChecksNeedNoLibrary) {
    for (const auto& c : kClasses) {
        ComPtr<IDispatch> object = Create<IDispatch>(*c.clsid);
        ASSERT_TRUE(object);
        UINT count = 7;
        EXPECT_EQ(E_POINTER, object->GetTypeInfoCount(nullptr));
        EXPECT_EQ(S_OK, object->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(DISP_E_BADINDEX, object->GetTypeInfo(1, kLocale, &info));
        EXPECT_EQ(E_POINTER, object->GetTypeInfo(0, kLocale, nullptr));
    }
}

TEST_F(Dispatch, WithoutRegistrationEveryLookupFailsWithTheLoadError) {
    const HRESULT loadError = RegistryLoadResult();
    ASSERT_TRUE(FAILED(loadError));
    for (const auto& c : kClasses) {
        ComPtr<IDispatch> object = Create<IDispatch>(*c.clsid);
        ASSERT_TRUE(object);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(loadError, object->GetTypeInfo(0, kLocale, &info));
        EXPECT_EQ(nullptr, info);
        LPOLESTR name = const_cast<LPOLESTR>(L"EffectList_SetState");
        DISPID id = 0;
        EXPECT_EQ(loadError, object->GetIDsOfNames(IID_NULL, &name, 1, kLocale, &id));
        DISPPARAMS none = {};
        EXPECT_EQ(loadError, object->Invoke(4, IID_NULL, kLocale, DISPATCH_METHOD, &none, nullptr,
                                            nullptr, nullptr));
    }
}

TEST_F(Dispatch, RegisteredLibraryDescribesEachDefaultInterface) {
    Registered registered(module_);
    ASSERT_TRUE(registered.Ok());
    for (const auto& c : kClasses) {
        ComPtr<IDispatch> object = Create<IDispatch>(*c.clsid);
        ASSERT_TRUE(object);
        ComPtr<ITypeInfo> info, again;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, kLocale, info.Put()));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_TRUE(IsEqualIID(*c.iid, attr->guid));
        EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
        info->ReleaseTypeAttr(attr);
        // Loaded once, then handed out again, whatever the locale.
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, LOCALE_NEUTRAL, again.Put()));
        EXPECT_EQ(info.Get(), again.Get());
    }
}

TEST_F(Dispatch, EffectListNamesAndInvocation) {
    Registered registered(module_);
    ASSERT_TRUE(registered.Ok());
    ComPtr<IDispatch> object = Create<IDispatch>(CLSID_QXUIExtLib);
    ASSERT_TRUE(object);
    const wchar_t* names[] = {L"GetNumDSPSupported",        L"EffectList_Initialize",
                              L"EffectList_GetStatusString", L"effectlist_setstate",
                              L"EffectList_SettingsDialog",  L"EffectList_ItemChanged",
                              L"EffectList_PropertyValueChanged"};
    for (DISPID expected = 1; expected <= 7; ++expected) {
        LPOLESTR name = const_cast<LPOLESTR>(names[expected - 1]);
        DISPID id = 0;
        EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, &name, 1, kLocale, &id)) << names[expected - 1];
        EXPECT_EQ(expected, id);
    }
    LPOLESTR unknown = const_cast<LPOLESTR>(L"Process");
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, object->GetIDsOfNames(IID_NULL, &unknown, 1, kLocale, &id));

    // The call reaches the object's method: it either succeeds or reports its failure
    // as an exception.
    VARIANT store = UnknownArgument(nullptr);
    DISPPARAMS params = {&store, nullptr, 1, 0};
    EXCEPINFO exception = {};
    const HRESULT hr =
        object->Invoke(4, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
    EXPECT_TRUE(hr == S_OK || hr == DISP_E_EXCEPTION) << std::hex << hr;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              object->Invoke(99, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
}

// An effect list that records what reaches it through Invoke.
class ScriptedEffectList final : public DualDispatch<IQXUIExtLib> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
            !IsEqualIID(riid, __uuidof(IQXUIExtLib))) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IQXUIExtLib*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetNumDSPSupported(IUnknown* device, ULONG* count) override {
        device_ = device;
        if (count) *count = 2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EffectList_SetState(IUnknown* store) override { return store ? S_OK : E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE EffectList_Initialize(HWND, LPWSTR, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EffectList_GetStatusString(HWND, IUnknown*, USHORT*, ULONG, BYTE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EffectList_SettingsDialog(HWND, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EffectList_ItemChanged(HWND, LONG_PTR, BYTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EffectList_PropertyValueChanged(HWND, IUnknown*, PROPERTYKEY) override {
        return E_NOTIMPL;
    }

    IUnknown* device_ = nullptr;
};

TEST_F(Dispatch, InvokeCallsTheDualInterfaceWithItsArguments) {
    Registered registered(module_);
    ASSERT_TRUE(registered.Ok());
    ScriptedEffectList list;
    IDispatch* dispatch = &list;

    // Arguments go in reverse order.
    ULONG count = 0;
    VARIANT args[2];
    VariantInit(&args[0]);
    V_VT(&args[0]) = VT_UI4 | VT_BYREF;
    V_UI4REF(&args[0]) = &count;
    args[1] = UnknownArgument(dispatch);
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(S_OK, dispatch->Invoke(1, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, nullptr,
                                     nullptr));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(static_cast<IUnknown*>(dispatch), list.device_);

    // A failing method comes back as an exception carrying its status.
    VARIANT none = UnknownArgument(nullptr);
    DISPPARAMS one = {&none, nullptr, 1, 0};
    EXCEPINFO exception = {};
    EXPECT_EQ(DISP_E_EXCEPTION, dispatch->Invoke(4, IID_NULL, kLocale, DISPATCH_METHOD, &one, nullptr,
                                                 &exception, nullptr));
    EXPECT_EQ(E_INVALIDARG, exception.scode);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

// The processing interface is not in the library: only the count works.
TEST_F(Dispatch, ProcessorInterfaceSlotsFailWhetherRegisteredOrNot) {
    for (bool registerFirst : {false, true}) {
        std::unique_ptr<Registered> registered;
        if (registerFirst) registered = std::make_unique<Registered>(module_);
        for (const CLSID* clsid : kProcessors) {
            ComPtr<IQXEffectProcessor> processor = Create<IQXEffectProcessor>(*clsid);
            ASSERT_TRUE(processor);
            ExpectProcessorDispatchDescribesNothing(processor.Get(), kLocale);
        }
    }
}

}  // namespace
}  // namespace qx::test
