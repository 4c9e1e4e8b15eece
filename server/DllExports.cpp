// The module's exported entry points (ordinals 1 to 4 in QXAPOMain.def).
#include <windows.h>

#include "frame/Module.h"
#include "server/ClassTable.h"
#include "server/Registration.h"

STDAPI DllCanUnloadNow() { return qx::Module::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return qx::ClassTable::GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() { return qx::Registration::Register(); }

STDAPI DllUnregisterServer() { return qx::Registration::Unregister(); }
