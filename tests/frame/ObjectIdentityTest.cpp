// COM identity of the four classes: what QueryInterface answers, aggregation, and the
// fixed answers of the processing interface's optional operations.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

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

TEST(ObjectIdentity, QueryInterfaceAnswersExactlyItsTableWithOneIdentity) {
    for (const ContractClass& c : kContractClasses) {
        SCOPED_TRACE(c.name);
        ComPtr<IUnknown> object = Create(c);
        ASSERT_TRUE(object);
        // Every IID asked for, and whether this class answers it.
        std::pair<IID, bool> asked[] = {{ContractGuid(c.dualIid), true},
                                        {IID_IDispatch, true},
                                        {ContractGuid(qx::test::kContractProcessorIid), c.processor},
                                        {IID_IClassFactory, false},
                                        {IID_IPersist, false},
                                        {IID_IMarshal, false}};
        ComPtr<IUnknown> dual;
        object->QueryInterface(asked[0].first, dual.PutVoid());
        for (const auto& [iid, answered] : asked) {
            ComPtr<IUnknown> p, back;
            EXPECT_EQ(answered ? S_OK : E_NOINTERFACE, object->QueryInterface(iid, p.PutVoid()));
            EXPECT_EQ(answered, bool(p));
            if (!p) continue;
            EXPECT_EQ(S_OK, p->QueryInterface(IID_IUnknown, back.PutVoid()));
            EXPECT_EQ(object.Get(), back.Get());
        }
        ComPtr<IUnknown> dispatch;
        object->QueryInterface(IID_IDispatch, dispatch.PutVoid());
        EXPECT_EQ(dual.Get(), dispatch.Get());  // the dual interface is the IDispatch
        for (const ContractClass& other : kContractClasses) {
            void* p = reinterpret_cast<void*>(1);
            if (&other != &c) {
                EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(ContractGuid(other.dualIid), &p));
                EXPECT_EQ(nullptr, p);
            }
        }
        EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IUnknown, nullptr));
        EXPECT_EQ(4u, dual->AddRef());  // one count behind every interface: object, dual, dispatch
        EXPECT_EQ(3u, object->Release());
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

TEST(ObjectIdentity, OptionalProcessingOperationsGiveTheirFixedAnswers) {
    const float input[4] = {};
    BYTE data[4] = {};
    for (const ContractClass& c : kContractClasses) {
        ComPtr<IQXEffectProcessor> p;
        if (!c.processor || FAILED(Create(c).As(p))) continue;
        SCOPED_TRACE(c.name);
        const bool global = &c == &kContractClasses[0], local = &c == &kContractClasses[1];
        if (!global) {
            EXPECT_EQ(E_NOTIMPL, p->IsEncodedFormatSupported(146));
            EXPECT_EQ(E_NOTIMPL, p->ProcessMonitor(input, 2));
        }
        if (!local) {
            EXPECT_EQ(S_OK, p->HostedInitialize(sizeof data, data));
            EXPECT_EQ(S_OK, p->HostedLockForProcess(0, nullptr, 0, nullptr));
            EXPECT_EQ(S_OK, p->HostedUnlockForProcess());
            EXPECT_EQ(1, p->HostedProcess(0, nullptr, 0, nullptr));
        }
        qx::test::ExpectProcessorDispatchDescribesNothing(p.Get(), LOCALE_USER_DEFAULT);
    }
}

TEST(ObjectIdentity, DualDispatchChecksItsArguments) {
    for (const ContractClass& c : kContractClasses) {
        ComPtr<IDispatch> d;
        ASSERT_EQ(S_OK, Create(c).As(d));
        UINT count = 0;
        EXPECT_EQ(S_OK, d->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        EXPECT_EQ(E_POINTER, d->GetTypeInfoCount(nullptr));
        ITypeInfo* info = nullptr;
        EXPECT_EQ(DISP_E_BADINDEX, d->GetTypeInfo(1, LOCALE_USER_DEFAULT, &info));
        EXPECT_EQ(E_POINTER, d->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr));
    }
}
