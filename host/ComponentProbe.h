#pragma once
// Which effect components a processor will find: the host creates each class the way
// the processor does (by class identifier and creation IID, then the component
// interface) and releases it again.
#include <windows.h>

#include <string>
#include <vector>

#include "host/HostOptions.h"
#include "host/ModuleWatch.h"

namespace qx::host {

struct ComponentClass {
    const char* name;
    CLSID clsid;
    IID creationIid;
};

// The component classes the processor creates on an endpoint of this form factor, in
// its creation order.
std::vector<ComponentClass> ComponentClassesOf(ProcessorKind kind, uint32_t formFactor);

struct ProbeResult {
    std::vector<std::string> present, absent;
};
// Each component created is shown to `modules` when given.
ProbeResult ProbeComponents(const std::vector<ComponentClass>& classes, ModuleWatch* modules = nullptr);

}  // namespace qx::host
