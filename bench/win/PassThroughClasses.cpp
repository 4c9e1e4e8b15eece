#include "bench/win/PassThroughClasses.h"

#include <objbase.h>

#include "settings/WinGuid.h"

namespace qx::bench {

PassThroughClasses::~PassThroughClasses() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
}

void PassThroughClasses::Add(const Guid& clsid, const Guid& creationIid) {
    components_.push_back(std::make_unique<PassThroughComponent>(ToGuid(creationIid)));
    DWORD cookie = 0;
    if (SUCCEEDED(CoRegisterClassObject(ToGuid(clsid), static_cast<IClassFactory*>(components_.back().get()),
                                        CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)))
        cookies_.push_back(cookie);
}

}  // namespace qx::bench
