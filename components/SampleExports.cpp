// Entry points of the sample components DLL.
#include <windows.h>

#include "common/ClassFactory.h"
#include "components/SampleClassTable.h"
#include "components/SampleComponent.h"
#include "components/SampleModule.h"
#include "components/SampleRegistration.h"

using qx::samplefx::SampleModule;

namespace {
// Makes the effect of one sample class; its objects are never aggregated.
struct SampleCreator {
    const qx::samplefx::SampleClass* cls;
    HRESULT operator()(IUnknown* outer, REFIID riid, void** ppv) const {
        if (outer) return CLASS_E_NOAGGREGATION;
        return qx::samplefx::SampleComponent::Create(cls->make(), cls->creationIid, riid, ppv);
    }
};
using SampleClassFactory = qx::ClassFactory<SampleModule, SampleCreator>;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        SampleModule::SetInstance(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return SampleModule::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const qx::samplefx::SampleClass* cls = qx::samplefx::FindSampleClass(clsid);
    if (!cls) return CLASS_E_CLASSNOTAVAILABLE;
    SampleClassFactory* factory = SampleClassFactory::New(SampleCreator{cls}, 0);
    return factory ? qx::QueryNewObject(factory, riid, ppv) : E_OUTOFMEMORY;
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(SampleModule::Instance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_BUFFER_OVERFLOW);
    return qx::samplefx::SampleRegistration::Register(path);
}

STDAPI DllUnregisterServer() { return qx::samplefx::SampleRegistration::Unregister(); }
