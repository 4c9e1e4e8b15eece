// COM identity of the four classes: what QueryInterface answers, aggregation, and the
// fixed answers of the hosted operations.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/ComPtr.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/Processors.h"

STDAPI DllCanUnloadNow();
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

using qx::ComPtr;
using qx::test::ContractClass;
using qx::test::ContractGuid;
using qx::test::kContractClasses;

namespace {
ComPtr<IUnknown> Create(const ContractClass& c, IUnknown* outer = nullptr) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(ContractGuid(c.clsid), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IUnknown> object;
    EXPECT_EQ(S_OK, factory->CreateInstance(outer, IID_IUnknown, object.PutVoid()));
    return object;
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

// Each class answers its own dual interface (which is its IDispatch), the processing
// interface when it is a processor, and nothing else; every answer leads back to one
// IUnknown. Its IDispatch checks its arguments before any type information is needed.
TEST(ObjectIdentity, QueryInterfaceAnswersExactlyItsTableWithOneIdentity) {
    for (const ContractClass& c : kContractClasses) {
        SCOPED_TRACE(c.name);
        ComPtr<IUnknown> object = Create(c);
        ASSERT_TRUE(object);
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
// process nothing; the other optional operations are each processor's own tests'.
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
        qx::test::ExpectProcessorDispatchDescribesNothing(p.Get(), LOCALE_USER_DEFAULT);
    }
}
