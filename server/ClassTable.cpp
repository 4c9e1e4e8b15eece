#include "server/ClassTable.h"

#include <atomic>

#include "common/ComPtr.h"
#include "controlpanel/QXUIExtLib.h"
#include "processors/QXGFXLib.h"
#include "processors/QXLFXLib.h"
#include "processors/QXMicLFXLib.h"
#include "server/ComObject.h"
#include "server/Guids.h"
#include "server/Module.h"

namespace qx {

namespace {
const ClassEntry kClasses[] = {
    {&CLSID_QXGFXLib, L"QXGFXLib", 104, &ComObjectRoot::Create<QXGFXLib>, nullptr},
    {&CLSID_QXLFXLib, L"QXLFXLib", 102, &ComObjectRoot::Create<QXLFXLib>, nullptr},
    {&CLSID_QXMicLFXLib, L"QXMicLFXLib", 103, &ComObjectRoot::Create<QXMicLFXLib>, nullptr},
    {&CLSID_QXUIExtLib, L"QXUIExtLib", 105, &ComObjectRoot::Create<QXUIExtLib>, nullptr},
};
constexpr size_t kClassCount = sizeof(kClasses) / sizeof(kClasses[0]);

// Cached factories, one per row; the table owns one reference of each.
std::atomic<IUnknown*> g_factories[kClassCount] = {};

class ClassObjectLockScope {
public:
    ClassObjectLockScope() { EnterCriticalSection(Module::ClassObjectLock()); }
    ~ClassObjectLockScope() { LeaveCriticalSection(Module::ClassObjectLock()); }
};
}  // namespace

const ClassEntry* ClassTable::Entries() { return kClasses; }
size_t ClassTable::Count() { return kClassCount; }

HRESULT ClassTable::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (Module::StartupFailed()) return E_UNEXPECTED;
    if (!ppv) return E_POINTER;
    *ppv = nullptr;

    size_t row = 0;
    while (row < kClassCount && !(IsEqualCLSID(*kClasses[row].clsid, rclsid) && kClasses[row].create)) ++row;
    if (row == kClassCount) return CLASS_E_CLASSNOTAVAILABLE;

    HRESULT created = S_OK;
    if (!g_factories[row].load()) {
        ClassObjectLockScope lock;
        if (!g_factories[row].load()) {
            void* factory = nullptr;
            created = ClassFactory::Create(kClasses[row].create, IID_IUnknown, &factory);
            if (SUCCEEDED(created)) g_factories[row] = static_cast<IUnknown*>(factory);
        }
    }
    IUnknown* factory = g_factories[row].load();
    if (!factory) return FAILED(created) ? created : CLASS_E_CLASSNOTAVAILABLE;

    const HRESULT hr = factory->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr) && !*ppv) return CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

void ClassTable::RunHooks(bool start) {
    for (const ClassEntry& entry : kClasses)
        if (entry.hook) entry.hook(start);
}

void ClassTable::ReleaseFactories() {
    for (auto& slot : g_factories)
        if (IUnknown* factory = slot.exchange(nullptr)) factory->Release();
}

}  // namespace qx
