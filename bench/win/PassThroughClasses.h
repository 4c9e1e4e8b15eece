#pragma once
// Pass-through components served under the classes a processor creates, for as long as
// this object lives.
#include <memory>
#include <vector>

#include "common/ClassRegistration.h"
#include "settings/Guid.h"

namespace qx::bench {

class PassThroughClasses {
public:
    void Add(const Guid& clsid, const Guid& creationIid);

private:
    std::vector<std::unique_ptr<ClassRegistration>> registrations_;
};

}  // namespace qx::bench
