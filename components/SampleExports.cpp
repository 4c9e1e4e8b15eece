// Entry points of the sample components DLL.
#include <windows.h>

#include "components/SampleClassFactory.h"
#include "components/SampleClassTable.h"
#include "components/SampleModule.h"
#include "components/SampleRegistration.h"

using qx::samplefx::SampleModule;

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
    return qx::samplefx::SampleClassFactory::Create(*cls, riid, ppv);
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(SampleModule::Instance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_BUFFER_OVERFLOW);
    return qx::samplefx::SampleRegistration::Register(path);
}

STDAPI DllUnregisterServer() { return qx::samplefx::SampleRegistration::Unregister(); }
