#pragma once
// Stand-ins for the outside effect components: for each chosen component class a class
// object is registered in-process, whose objects answer the class's interface. The
// effect list only needs to be able to create them.
#include <memory>
#include <vector>

#include "common/ClassRegistration.h"
#include "settings/EffectSchema.h"

namespace qx::panel {

class FakeComponents {
public:
    // Registers the classes that make the effects marked in `present` available.
    explicit FakeComponents(const bool (&present)[settings::kEffectCount + 1]);
    FakeComponents(const FakeComponents&) = delete;
    FakeComponents& operator=(const FakeComponents&) = delete;

private:
    std::vector<std::unique_ptr<ClassRegistration>> registrations_;
};

}  // namespace qx::panel
