#pragma once
// Serves one class from this process: a class object registered with
// CoRegisterClassObject (in the calling thread's apartment) for the registration's
// lifetime, making its objects through a function.
#include <windows.h>
#include <objbase.h>

#include <functional>
#include <utility>

#include "common/ClassFactory.h"

namespace qx {

class ClassRegistration {
public:
    // Makes a new object and answers riid from it; called with ppv set to null.
    using Creator = std::function<HRESULT(REFIID riid, void** ppv)>;

    ClassRegistration(const CLSID& clsid, Creator create) : factory_(Factory::New(Plain{std::move(create)}, 0)) {
        if (!factory_ || FAILED(CoRegisterClassObject(clsid, static_cast<IClassFactory*>(factory_),
                                                      CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
            cookie_ = 0;
    }
    ~ClassRegistration() {
        if (cookie_) CoRevokeClassObject(cookie_);
        if (factory_) factory_->Release();
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    bool Registered() const { return cookie_ != 0; }

private:
    // Objects served here are never aggregated.
    struct Plain {
        Creator create;
        HRESULT operator()(IUnknown* outer, REFIID riid, void** ppv) const {
            return outer ? CLASS_E_NOAGGREGATION : create(riid, ppv);
        }
    };
    using Factory = ClassFactory<NoModule, Plain>;

    Factory* factory_;
    DWORD cookie_ = 0;
};

}  // namespace qx
