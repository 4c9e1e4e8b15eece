#include "bench/win/PassThroughClasses.h"

#include "bench/win/PassThroughComponent.h"
#include "settings/WinGuid.h"

namespace qx::bench {

void PassThroughClasses::Add(const Guid& clsid, const Guid& creationIid) {
    const IID iid = ToGuid(creationIid);
    registrations_.push_back(std::make_unique<ClassRegistration>(
        ToGuid(clsid), [iid](REFIID riid, void** ppv) { return PassThroughComponent::Create(iid, riid, ppv); }));
}

}  // namespace qx::bench
