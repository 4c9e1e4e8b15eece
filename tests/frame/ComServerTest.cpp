// The class table, the cached class factories, the module lock count and a failed start.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "common/ComPtr.h"
#include "frame/Module.h"
#include "tests/support/ModuleContract.h"

STDAPI DllCanUnloadNow();
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

using qx::ComPtr;
using qx::test::ContractGuid;

namespace {
// The module makes its locks with the non-throwing operator new; this program's
// replacement refuses while the flag is set, as a machine out of memory would.
bool g_refuseNothrowNew = false;

ComPtr<IClassFactory> Factory(const wchar_t* clsid) {
    ComPtr<IClassFactory> f;
    EXPECT_EQ(S_OK, DllGetClassObject(ContractGuid(clsid), IID_IClassFactory, f.PutVoid()));
    return f;
}
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return g_refuseNothrowNew ? nullptr : std::malloc(size ? size : 1);
}

TEST(ComServer, ClassObjectRequests) {
    const struct {
        GUID clsid;
        IID iid;
        bool nullOut;
        HRESULT expected;
    } cases[] = {
        {ContractGuid(qx::test::kContractAppId), IID_IClassFactory, false, CLASS_E_CLASSNOTAVAILABLE},
        {ContractGuid(qx::test::kContractClasses[0].clsid), IID_IClassFactory, true, E_POINTER},
        {ContractGuid(qx::test::kContractClasses[0].clsid), IID_IDispatch, false, E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, DllGetClassObject(c.clsid, c.iid, c.nullOut ? nullptr : &p));
        if (!c.nullOut) {
            EXPECT_EQ(nullptr, p);
        }
    }
    for (const auto& c : qx::test::kContractClasses) {
        ComPtr<IClassFactory> factory = Factory(c.clsid);
        ASSERT_TRUE(factory) << c.name;
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid())) << c.name;
        EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(object.Get(), IID_IDispatch, &p));
        EXPECT_EQ(nullptr, p);
        p = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &p));
        EXPECT_EQ(nullptr, p);
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
        const HRESULT hr = DllGetClassObject(ContractGuid(qx::test::kContractClasses[0].clsid), IID_IClassFactory, &p);
        std::_Exit(!started && hr == E_UNEXPECTED ? 0 : 1);
    };
    EXPECT_EXIT(failedStart(), testing::ExitedWithCode(0), "");
}

TEST(ComServer, ClientReferencesLockServerAndObjectsHoldTheModule) {
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    ComPtr<IClassFactory> first = Factory(qx::test::kContractClasses[1].clsid);
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    ComPtr<IClassFactory> second = Factory(qx::test::kContractClasses[1].clsid);
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
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ComServer, UnloadGivesBackTheTablesReferenceOfEachFactory) {
    IClassFactory* held = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(ContractGuid(qx::test::kContractClasses[2].clsid), IID_IClassFactory,
                                      reinterpret_cast<void**>(&held)));
    qx::Module::Shutdown();
    ASSERT_TRUE(qx::Module::Startup(GetModuleHandleW(nullptr)));
    EXPECT_EQ(0u, held->Release());  // the client's was the last one
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}
