// The object frame: the class table, the cached class factories, the module lock count
// and a failed start; COM identity of the four classes (what QueryInterface answers,
// aggregation, the fixed answers of the hosted operations); creating an outside effect
// component by class identifier; reading the endpoint's properties against the system's
// in-memory property store.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <tuple>
#include <vector>

#include "common/ComPtr.h"
#include "frame/Module.h"
#include "processors/IQXEffectProcessor.h"
#include "settings/EffectComponent.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

STDAPI DllCanUnloadNow();

using namespace qx::settings;
using qx::ComPtr;
using qx::test::CallLog;
using qx::test::ComponentRegistration;
using qx::test::ContractClass;
using qx::test::ContractGuid;
using qx::test::FailingPropertyStore;
using qx::test::kContractClasses;

namespace {
// The module makes its locks with the non-throwing operator new; this program's
// replacement refuses while the flag is set, as a machine out of memory would.
bool g_refuseNothrowNew = false;

// An effect component class of the test's own, the interface it is created through, and
// an identifier that is neither a class nor an interface it answers.
const CLSID kClsid = {0x1E2D3C4B, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kCreationIid = {0x1E2D3C4B, 0x2222, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kOtherIid = {0x1E2D3C4B, 0x3333, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

ComPtr<IClassFactory> Factory(const wchar_t* clsid) {
    ComPtr<IClassFactory> f;
    EXPECT_EQ(S_OK, DllGetClassObject(ContractGuid(clsid), IID_IClassFactory, f.PutVoid()));
    return f;
}

ComPtr<IUnknown> Create(const ContractClass& c, IUnknown* outer = nullptr) {
    return qx::test::NewContractObject(c, IID_IUnknown, outer);
}

// An outer object that aggregates a module object and counts its own references.
class Outer : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (!IsEqualIID(riid, IID_IUnknown)) return inner->QueryInterface(riid, ppv);
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    LONG refs = 1;
    int queries = 0;
    IUnknown* inner = nullptr;
};
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return g_refuseNothrowNew ? nullptr : std::malloc(size ? size : 1);
}

// Class objects are refused for other identifiers, null out pointers and interfaces a
// factory has not.
TEST(ComServer, ClassObjectRequests) {
    const struct {
        GUID clsid;
        IID iid;
        bool nullOut;
        HRESULT expected;
    } cases[] = {
        {ContractGuid(qx::test::kContractAppId), IID_IClassFactory, false, CLASS_E_CLASSNOTAVAILABLE},
        {ContractGuid(kContractClasses[0].clsid), IID_IClassFactory, true, E_POINTER},
        {ContractGuid(kContractClasses[0].clsid), IID_IDispatch, false, E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, DllGetClassObject(c.clsid, c.iid, c.nullOut ? nullptr : &p));
        EXPECT_TRUE(c.nullOut || p == nullptr);
    }
}

// A start whose locks cannot be made leaves the module refusing every class object; the
// failure sticks, so it is provoked in a child process of its own.
TEST(ComServer, FailedStartMakesClassObjectsUnexpected) {
    const auto failedStart = [] {
        qx::Module::Shutdown();
        g_refuseNothrowNew = true;
        const bool started = qx::Module::Startup(GetModuleHandleW(nullptr));
        g_refuseNothrowNew = false;
        void* p = nullptr;
        const HRESULT hr = DllGetClassObject(ContractGuid(kContractClasses[0].clsid), IID_IClassFactory, &p);
        std::_Exit(!started && hr == E_UNEXPECTED ? 0 : 1);
    };
    EXPECT_EXIT(failedStart(), testing::ExitedWithCode(0), "");
}

TEST(ComServer, ClientReferencesLockServerObjectsHoldTheModuleAndUnloadLetsFactoriesGo) {
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    ComPtr<IClassFactory> first = Factory(kContractClasses[1].clsid);
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    ComPtr<IClassFactory> second = Factory(kContractClasses[1].clsid);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(1, qx::Module::LockCount());  // only the 1 -> 2 step takes a lock
    second.Reset();
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    EXPECT_EQ(S_OK, first->LockServer(TRUE));
    EXPECT_EQ(S_OK, first->LockServer(TRUE));
    EXPECT_EQ(3, qx::Module::LockCount());
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, first->CreateInstance(nullptr, IID_IUnknown, a.PutVoid()));
    ASSERT_EQ(S_OK, first->CreateInstance(nullptr, IID_IUnknown, b.PutVoid()));
    EXPECT_EQ(5, qx::Module::LockCount());
    first->LockServer(FALSE);
    first->LockServer(FALSE);
    first.Reset();
    EXPECT_EQ(2, qx::Module::LockCount());
    a.Reset();
    b.Reset();
    // An unload gives back the table's reference of each cached factory, so a factory a
    // client holds across it goes with the client's release.
    IClassFactory* held = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(ContractGuid(kContractClasses[2].clsid), IID_IClassFactory,
                                      reinterpret_cast<void**>(&held)));
    qx::Module::Shutdown();
    ASSERT_TRUE(qx::Module::Startup(GetModuleHandleW(nullptr)));
    EXPECT_EQ(0u, held->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

// Each factory refuses what it cannot make and empties the out pointer. Each class
// answers its own dual interface (which is its IDispatch), the processing interface when
// it is a processor, and nothing else; every answer leads back to one IUnknown. Its
// IDispatch checks its arguments before any type information is needed.
TEST(ObjectIdentity, QueryInterfaceAnswersExactlyItsTableWithOneIdentity) {
    for (const ContractClass& c : kContractClasses) {
        SCOPED_TRACE(c.name);
        ComPtr<IClassFactory> factory = Factory(c.clsid);
        ComPtr<IUnknown> object = Create(c);
        ASSERT_TRUE(factory && object);
        EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
        for (const auto& [outer, iid, refused] : {std::tuple{object.Get(), IID_IDispatch, CLASS_E_NOAGGREGATION},
                                                  std::tuple{static_cast<IUnknown*>(nullptr), IID_IClassFactory, E_NOINTERFACE}}) {
            void* made = reinterpret_cast<void*>(1);
            EXPECT_EQ(refused, factory->CreateInstance(outer, iid, &made));
            EXPECT_EQ(nullptr, made);
        }
        std::vector<std::pair<IID, bool>> asked = {{IID_IDispatch, true},
                                                   {ContractGuid(qx::test::kContractProcessorIid), c.processor},
                                                   {IID_IClassFactory, false},
                                                   {IID_IPersist, false},
                                                   {IID_IMarshal, false}};
        for (const ContractClass& other : kContractClasses) asked.push_back({ContractGuid(other.dualIid), &other == &c});
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(S_OK, object.As(dispatch));
        for (const auto& [iid, answered] : asked) {
            void* raw = reinterpret_cast<void*>(1);
            EXPECT_EQ(answered ? S_OK : E_NOINTERFACE, object->QueryInterface(iid, &raw));
            if (!answered) {
                EXPECT_EQ(nullptr, raw);
                continue;
            }
            ComPtr<IUnknown> p = ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(raw)), back;
            EXPECT_EQ(S_OK, p->QueryInterface(IID_IUnknown, back.PutVoid()));
            EXPECT_EQ(object.Get(), back.Get());
            if (IsEqualIID(iid, ContractGuid(c.dualIid))) {
                EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), p.Get());
            }
        }
        EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IUnknown, nullptr));
        EXPECT_EQ(3u, dispatch->AddRef());  // one count behind every interface: object, dispatch
        EXPECT_EQ(2u, object->Release());
        UINT count = 0;
        EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        EXPECT_EQ(E_POINTER, dispatch->GetTypeInfoCount(nullptr));
        ITypeInfo* info = nullptr;
        EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &info));
        EXPECT_EQ(E_POINTER, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr));
    }
}

TEST(ObjectIdentity, AggregatedObjectDelegatesToItsOuter) {
    for (const ContractClass& c : kContractClasses) {
        Outer outer;
        ComPtr<IUnknown> inner = Create(c, &outer);
        ASSERT_TRUE(inner);
        outer.inner = inner.Get();
        ComPtr<IUnknown> self;
        EXPECT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, self.PutVoid()));
        EXPECT_EQ(inner.Get(), self.Get());  // the inner unknown answers with itself
        self.Reset();
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(S_OK, inner->QueryInterface(IID_IDispatch, dispatch.PutVoid()));
        EXPECT_EQ(2, outer.refs);
        const int queries = outer.queries;
        ComPtr<IUnknown> viaOuter;
        EXPECT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, viaOuter.PutVoid()));
        EXPECT_EQ(static_cast<IUnknown*>(&outer), viaOuter.Get());
        EXPECT_EQ(queries + 1, outer.queries);
        viaOuter.Reset();
        dispatch.Reset();
        EXPECT_EQ(1, outer.refs);
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    }
}

// The hosted operations of the processors that host no object accept every call and
// process nothing; the other optional operations are each processor's own tests', and
// their dispatch slots the type library's test.
TEST(ObjectIdentity, HostedOperationsOfProcessorsWithoutAHostedObject) {
    BYTE data[4] = {};
    for (const ContractClass* c : {&kContractClasses[0], &kContractClasses[2]}) {
        SCOPED_TRACE(c->name);
        ComPtr<IQXEffectProcessor> p;
        ASSERT_EQ(S_OK, Create(*c).As(p));
        EXPECT_EQ(S_OK, p->HostedInitialize(sizeof data, data));
        EXPECT_EQ(S_OK, p->HostedLockForProcess(0, nullptr, 0, nullptr));
        EXPECT_EQ(S_OK, p->HostedUnlockForProcess());
        EXPECT_EQ(1, p->HostedProcess(0, nullptr, 0, nullptr));
    }
}

// The component is created through its own IID and only its component interface is
// kept; a failure (an IID the object refuses, no such class) leaves the slot empty, even
// one that held a component.
TEST(EffectComponent, CreatesThroughItsOwnIidAndFailuresLeaveTheSlotEmpty) {
    CallLog log;
    ComponentRegistration reg(log, kClsid, kCreationIid, L"eq");
    ComPtr<IQXEffectComponent> slot;
    qx::settings::CreateEffectComponent(kClsid, kCreationIid, slot);
    ASSERT_TRUE(slot);
    ASSERT_EQ(1u, reg.InstanceCount());
    EXPECT_EQ(2, reg.Instance(0)->RefCount());  // ours and the registration's
    qx::settings::CreateEffectComponent(kOtherIid, kCreationIid, slot);  // no such class
    EXPECT_FALSE(slot);
    qx::settings::CreateEffectComponent(kClsid, kOtherIid, slot);  // the object refuses that IID
    EXPECT_FALSE(slot);
    EXPECT_TRUE(reg.AllReleasedByOthers());
}

// The readers and writers of settings keys are checked through their callers: the
// dialogs' walk, the effect list and the processors' contract tables store values of the
// wrong type and size, signed values, flags, failing and missing stores. What is left here
// is the endpoint's form factor, which every processor reads however it was stored.
TEST(PropertyStoreAccess, EndpointPropertiesTakeTheFormFactorWhateverItsType) {
    ComPtr<IPropertyStore> store = qx::test::NewMemoryStore();
    uint32_t formFactor = FormFactorUnknown;
    EXPECT_EQ(E_POINTER, ReadEndpointProperties(nullptr, formFactor));
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_I4;
    v.lVal = LONG(FormFactorSpdif);
    ASSERT_EQ(S_OK, store->SetValue(ToPropertyKey(key::EndpointFormFactor), v));
    EXPECT_EQ(S_OK, ReadEndpointProperties(store.Get(), formFactor));  // a missing GUID is no failure
    EXPECT_EQ(FormFactorSpdif, formFactor);
    // A failing GUID read is the status; the form factor read before it still counts.
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, qx::test::NewEndpointStore(FormFactorMicrophone).Get());
    failing->FailKey(key::EndpointGuid);
    EXPECT_EQ(E_ACCESSDENIED, ReadEndpointProperties(failing, formFactor));
    EXPECT_EQ(FormFactorMicrophone, formFactor);
    failing->Release();
}
