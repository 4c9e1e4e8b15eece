#pragma once
// Pass-through components registered under the classes a processor creates, for as long
// as this object lives.
#include <windows.h>

#include <memory>
#include <vector>

#include "bench/win/PassThroughComponent.h"
#include "settings/Guid.h"

namespace qx::bench {

class PassThroughClasses {
public:
    // Revokes every registration (the components themselves cannot be copied or moved).
    ~PassThroughClasses();

    void Add(const Guid& clsid, const Guid& creationIid);

private:
    std::vector<std::unique_ptr<PassThroughComponent>> components_;
    std::vector<DWORD> cookies_;
};

}  // namespace qx::bench
