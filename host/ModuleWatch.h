#pragma once
// The DLLs a run used, kept loaded until the end so that, once everything the run created
// has been released, each can be asked whether it would let itself be unloaded
// (DllCanUnloadNow). A DLL that still answers S_FALSE then has lost a lock or an object.
#include <windows.h>
#include <unknwn.h>

#include <cstdio>
#include <vector>

#include "common/Handles.h"

namespace qx::host {

class ModuleWatch {
public:
    ModuleWatch() = default;
    ModuleWatch(const ModuleWatch&) = delete;
    ModuleWatch& operator=(const ModuleWatch&) = delete;

    // The DLL whose code serves this object (found from its method table), however it was
    // loaded: directly or by COM from a registration.
    void Watch(IUnknown* object);
    void Watch(HMODULE module);

    // Prints "<file>: can unload" or "<file>: cannot unload (<status>)" per DLL; true when
    // every one can unload.
    bool Report(std::FILE* out) const;

private:
    void WatchAddress(const void* address);
    std::vector<ModuleHandle> modules_;  // each holds a reference of its own
};

}  // namespace qx::host
