// COM identity of the four classes: the QueryInterface tables, aggregation, the
// processing interface's slot defaults and its dispatch-shaped slots.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/support/Processors.h"

STDAPI DllCanUnloadNow();
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

using qx::ComPtr;
using qx::test::ExpectProcessorDispatchDescribesNothing;

namespace {
struct ClassCase {
    const CLSID* clsid;
    IID dual;
    bool processor;
};
const ClassCase kClasses[] = {
    {&qx::CLSID_QXGFXLib, __uuidof(IQXGFXLib), true},
    {&qx::CLSID_QXLFXLib, __uuidof(IQXLFXLib), true},
    {&qx::CLSID_QXMicLFXLib, __uuidof(IQXMicLFXLib), true},
    {&qx::CLSID_QXUIExtLib, __uuidof(IQXUIExtLib), false},
};

ComPtr<IUnknown> Create(REFCLSID clsid, IUnknown* outer = nullptr) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(clsid, IID_IClassFactory, factory.PutVoid()));
    ComPtr<IUnknown> object;
    EXPECT_EQ(S_OK, factory->CreateInstance(outer, IID_IUnknown, object.PutVoid()));
    return object;
}

ComPtr<IQXEffectProcessor> CreateProcessor(REFCLSID clsid) {
    ComPtr<IQXEffectProcessor> p;
    EXPECT_EQ(S_OK, Create(clsid).As(p));
    return p;
}

// An outer object that aggregates a module object and counts its own references.
class Outer : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    LONG refs = 1;
    int queries = 0;
    IUnknown* inner = nullptr;
};
}  // namespace

TEST(ObjectIdentity, QueryInterfaceAnswersExactlyTheTable) {
    for (const ClassCase& c : kClasses) {
        ComPtr<IUnknown> object = Create(*c.clsid);
        ASSERT_TRUE(object);
        ComPtr<IUnknown> dual, dispatch, processor, unknown;
        EXPECT_EQ(S_OK, object->QueryInterface(c.dual, dual.PutVoid()));
        EXPECT_EQ(S_OK, object->QueryInterface(IID_IDispatch, dispatch.PutVoid()));
        EXPECT_EQ(dual.Get(), dispatch.Get());  // the dual interface is IDispatch
        EXPECT_EQ(S_OK, dual->QueryInterface(IID_IUnknown, unknown.PutVoid()));
        EXPECT_EQ(object.Get(), unknown.Get());
        EXPECT_EQ(c.processor ? S_OK : E_NOINTERFACE,
                  object->QueryInterface(__uuidof(IQXEffectProcessor), processor.PutVoid()));
        if (processor) {
            ComPtr<IUnknown> back;
            EXPECT_EQ(S_OK, processor->QueryInterface(IID_IUnknown, back.PutVoid()));
            EXPECT_EQ(object.Get(), back.Get());
        }
        for (const IID* other : {&IID_IClassFactory, &IID_IPersist, &IID_IMarshal, &__uuidof(IQXUIExtLib)}) {
            if (!c.processor && IsEqualIID(*other, __uuidof(IQXUIExtLib))) continue;
            void* p = reinterpret_cast<void*>(1);
            EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(*other, &p));
            EXPECT_EQ(nullptr, p);
        }
        // The other classes' dual interfaces are not answered.
        for (const ClassCase& o : kClasses) {
            if (&o == &c) continue;
            void* p = reinterpret_cast<void*>(1);
            EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(o.dual, &p));
            EXPECT_EQ(nullptr, p);
        }
        EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IUnknown, nullptr));
    }
}

TEST(ObjectIdentity, ReferenceCountIsSharedAcrossInterfaces) {
    ComPtr<IUnknown> object = Create(qx::CLSID_QXGFXLib);
    ComPtr<IQXEffectProcessor> processor;
    ASSERT_EQ(S_OK, object.As(processor));
    EXPECT_EQ(3u, object->AddRef());
    EXPECT_EQ(2u, processor->Release());
}

TEST(ObjectIdentity, AggregatedObjectDelegatesToItsOuter) {
    for (const ClassCase& c : kClasses) {
        Outer outer;
        ComPtr<IUnknown> inner = Create(*c.clsid, &outer);
        ASSERT_TRUE(inner);
        outer.inner = inner.Get();
        // The inner unknown answers IUnknown with itself.
        ComPtr<IUnknown> self;
        EXPECT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, self.PutVoid()));
        EXPECT_EQ(inner.Get(), self.Get());
        self.Reset();
        // Other interfaces hand their IUnknown calls to the outer object.
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
        inner.Reset();
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ObjectIdentity, LocalAndCaptureProcessorsDoNotEncodeOrMonitor) {
    for (const CLSID* clsid : {&qx::CLSID_QXLFXLib, &qx::CLSID_QXMicLFXLib}) {
        ComPtr<IQXEffectProcessor> p = CreateProcessor(*clsid);
        const float input[4] = {};
        EXPECT_EQ(E_NOTIMPL, p->IsEncodedFormatSupported(146));
        EXPECT_EQ(E_NOTIMPL, p->ProcessMonitor(input, 2));
        EXPECT_EQ(E_NOTIMPL, p->ProcessMonitor(nullptr, 0));
    }
}

TEST(ObjectIdentity, ProcessorsWithoutAHostedObjectAnswerHostedCallsTrivially) {
    for (const CLSID* clsid : {&qx::CLSID_QXGFXLib, &qx::CLSID_QXMicLFXLib}) {
        ComPtr<IQXEffectProcessor> p = CreateProcessor(*clsid);
        BYTE data[4] = {};
        EXPECT_EQ(S_OK, p->HostedInitialize(sizeof data, data));
        EXPECT_EQ(S_OK, p->HostedLockForProcess(0, nullptr, 0, nullptr));
        EXPECT_EQ(S_OK, p->HostedUnlockForProcess());
        EXPECT_EQ(1, p->HostedProcess(0, nullptr, 0, nullptr));
    }
}

TEST(ObjectIdentity, ProcessorDispatchSlotsCountOneButDescribeNothing) {
    for (const CLSID* clsid : {&qx::CLSID_QXGFXLib, &qx::CLSID_QXLFXLib, &qx::CLSID_QXMicLFXLib}) {
        ComPtr<IQXEffectProcessor> p = CreateProcessor(*clsid);
        ASSERT_TRUE(p);
        ExpectProcessorDispatchDescribesNothing(p.Get(), LOCALE_USER_DEFAULT);
    }
}

TEST(ObjectIdentity, DualDispatchChecksItsArguments) {
    for (const ClassCase& c : kClasses) {
        ComPtr<IDispatch> d;
        ASSERT_EQ(S_OK, Create(*c.clsid).As(d));
        UINT count = 0;
        EXPECT_EQ(S_OK, d->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        EXPECT_EQ(E_POINTER, d->GetTypeInfoCount(nullptr));
        ITypeInfo* info = nullptr;
        EXPECT_EQ(DISP_E_BADINDEX, d->GetTypeInfo(2, LOCALE_USER_DEFAULT, &info));
        EXPECT_EQ(E_POINTER, d->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr));
    }
}
