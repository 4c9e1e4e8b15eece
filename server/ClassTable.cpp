#include "server/ClassTable.h"

#include <atomic>

#include "common/ClassFactory.h"
#include "common/ComPtr.h"
#include "controlpanel/QXUIExtLib.h"
#include "frame/ComObject.h"
#include "frame/Identifiers.h"
#include "frame/Module.h"
#include "processors/QXGFXLib.h"
#include "processors/QXLFXLib.h"
#include "processors/QXMicLFXLib.h"

namespace qx {

namespace {
const ClassEntry kClasses[] = {
    {&CLSID_QXGFXLib, L"QXGFXLib", 104, &ComObjectRoot::Create<QXGFXLib>},
    {&CLSID_QXLFXLib, L"QXLFXLib", 102, &ComObjectRoot::Create<QXLFXLib>},
    {&CLSID_QXMicLFXLib, L"QXMicLFXLib", 103, &ComObjectRoot::Create<QXMicLFXLib>},
    {&CLSID_QXUIExtLib, L"QXUIExtLib", 105, &ComObjectRoot::Create<QXUIExtLib>},
};
constexpr size_t kClassCount = sizeof(kClasses) / sizeof(kClasses[0]);

// Cached factories, one per row; the table owns one reference of each.
std::atomic<IUnknown*> g_factories[kClassCount] = {};
// Whether the module's clean-up list releases the factories at unload.
bool g_releaseRegistered = false;

void ReleaseFactories(void*) {
    for (auto& slot : g_factories)
        if (IUnknown* factory = slot.exchange(nullptr)) factory->Release();
    g_releaseRegistered = false;
}

// Makes sure the factories are released at unload before one is cached.
bool RegisterRelease() {
    CriticalSectionLock lock(Module::ModuleLock());
    if (!g_releaseRegistered) g_releaseRegistered = Module::AddCleanup(ReleaseFactories, nullptr);
    return g_releaseRegistered;
}
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

    if (!g_factories[row].load()) {
        CriticalSectionLock lock(Module::ClassObjectLock());
        if (!g_factories[row].load()) {
            if (!RegisterRelease()) return E_OUTOFMEMORY;
            // Born holding the table's own reference, which keeps no module lock.
            auto* factory = ClassFactory<Module, ObjectCreator>::New(kClasses[row].create, 1);
            if (!factory) return E_OUTOFMEMORY;
            g_factories[row] = static_cast<IClassFactory*>(factory);
        }
    }
    IUnknown* factory = g_factories[row].load();
    if (!factory) return CLASS_E_CLASSNOTAVAILABLE;

    const HRESULT hr = factory->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr) && !*ppv) return CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

}  // namespace qx
