// The DLL entry point: module start-up and shutdown.
#include <windows.h>

#include "frame/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        return qx::Module::Startup(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        // At process exit the locks may be held by threads already gone; leave them.
        if (!reserved) qx::Module::Shutdown();
        return TRUE;
    default:
        return TRUE;
    }
}
