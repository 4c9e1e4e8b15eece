#pragma once
// Serves one class from this process: a class object registered with
// CoRegisterClassObject (in the calling thread's apartment) for the registration's
// lifetime, making its objects through a function.
#include <windows.h>
#include <objbase.h>

#include <functional>
#include <utility>

#include "common/UnknownObject.h"

namespace qx {

class ClassRegistration {
public:
    // Makes a new object and answers riid from it; called with ppv set to null.
    using Creator = std::function<HRESULT(REFIID riid, void** ppv)>;

    ClassRegistration(const CLSID& clsid, Creator create) : factory_(new Factory(std::move(create))) {
        if (FAILED(CoRegisterClassObject(clsid, static_cast<IClassFactory*>(factory_), CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie_)))
            cookie_ = 0;
    }
    ~ClassRegistration() {
        if (cookie_) CoRevokeClassObject(cookie_);
        factory_->Release();
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    bool Registered() const { return cookie_ != 0; }

private:
    class Factory : public UnknownObject<IClassFactory> {
    public:
        explicit Factory(Creator create) : create_(std::move(create)) {}
        HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            *ppv = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            return create_(riid, ppv);
        }
        HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    private:
        Creator create_;
    };

    Factory* factory_;
    DWORD cookie_ = 0;
};

}  // namespace qx
