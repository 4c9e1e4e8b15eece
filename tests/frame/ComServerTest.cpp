// The class table, the cached class factories and the module lock count.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "frame/Module.h"

STDAPI DllCanUnloadNow();
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

using qx::ComPtr;

namespace {
const CLSID* const kAllClasses[] = {&qx::CLSID_QXGFXLib, &qx::CLSID_QXLFXLib, &qx::CLSID_QXMicLFXLib,
                                    &qx::CLSID_QXUIExtLib};

ComPtr<IClassFactory> Factory(REFCLSID clsid) {
    ComPtr<IClassFactory> f;
    EXPECT_EQ(S_OK, DllGetClassObject(clsid, IID_IClassFactory, f.PutVoid()));
    return f;
}
}  // namespace

TEST(ComServer, EveryClassHasAFactoryThatCreatesObjects) {
    for (const CLSID* clsid : kAllClasses) {
        ComPtr<IClassFactory> factory = Factory(*clsid);
        ASSERT_TRUE(factory);
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
        EXPECT_TRUE(object);
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ComServer, UnknownClassesAreNotAvailable) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(qx::APPID_QXAPOMain, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(qx::LIBID_QXAPOMainLib, IID_IClassFactory, &p));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(IID_IUnknown, IID_IClassFactory, &p));
    EXPECT_EQ(E_POINTER, DllGetClassObject(qx::CLSID_QXGFXLib, IID_IClassFactory, nullptr));
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(qx::CLSID_QXGFXLib, IID_IDispatch, &p));
    EXPECT_EQ(nullptr, p);
}

namespace qx {
// Stands in for a start-up whose locks could not be made.
class ModuleTestAccess {
public:
    static void SetStartupFailed(bool failed) { Module::startupFailed_ = failed; }
};
}  // namespace qx

TEST(ComServer, StartupFailureMakesClassObjectsUnexpected) {
    qx::ModuleTestAccess::SetStartupFailed(true);
    void* p = nullptr;
    const HRESULT hr = DllGetClassObject(qx::CLSID_QXGFXLib, IID_IClassFactory, &p);
    qx::ModuleTestAccess::SetStartupFailed(false);
    EXPECT_EQ(E_UNEXPECTED, hr);
}

TEST(ComServer, FactoryIsCachedAndAClientReferenceLocksTheModule) {
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    {
        ComPtr<IClassFactory> first = Factory(qx::CLSID_QXLFXLib);
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
        ComPtr<IClassFactory> second = Factory(qx::CLSID_QXLFXLib);
        EXPECT_EQ(first.Get(), second.Get());
        EXPECT_EQ(1, qx::Module::LockCount());  // only the 1 -> 2 step takes a lock
        second.Reset();
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ComServer, LockServerCountsAndObjectsHoldTheModule) {
    ComPtr<IClassFactory> factory = Factory(qx::CLSID_QXMicLFXLib);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(3, qx::Module::LockCount());
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, a.PutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, b.PutVoid()));
    EXPECT_EQ(5, qx::Module::LockCount());
    factory->LockServer(FALSE);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    a.Reset();
    b.Reset();
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ComServer, CreateInstanceChecksItsArguments) {
    ComPtr<IClassFactory> factory = Factory(qx::CLSID_QXGFXLib);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
    ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outer.PutVoid()));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IDispatch, &p));
    EXPECT_EQ(nullptr, p);
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
}

TEST(ComServer, RacingThreadsGetTheSameFactory) {
    // Start from an empty cache so both threads race the creation itself.
    qx::Module::Shutdown();
    ASSERT_TRUE(qx::Module::Startup(GetModuleHandleW(nullptr)));
    for (int round = 0; round < 20; ++round) {
        IUnknown* seen[2] = {};
        HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        auto worker = [&](int i) {
            WaitForSingleObject(go, INFINITE);
            DllGetClassObject(qx::CLSID_QXUIExtLib, IID_IUnknown, reinterpret_cast<void**>(&seen[i]));
        };
        std::thread t0(worker, 0), t1(worker, 1);
        SetEvent(go);
        t0.join();
        t1.join();
        CloseHandle(go);
        ASSERT_NE(nullptr, seen[0]);
        EXPECT_EQ(seen[0], seen[1]);
        seen[0]->Release();
        seen[1]->Release();
        qx::Module::Shutdown();
        ASSERT_TRUE(qx::Module::Startup(GetModuleHandleW(nullptr)));
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}
