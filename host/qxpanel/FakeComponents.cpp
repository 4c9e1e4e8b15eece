#include "host/qxpanel/FakeComponents.h"

#include <objbase.h>

#include <atomic>
#include <cstring>

#include "controlpanel/EffectListTables.h"

namespace qx::panel {

namespace {
// An object that answers IUnknown and one interface of its class.
class Component : public IUnknown {
public:
    explicit Component(const IID& iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

private:
    virtual ~Component() = default;
    std::atomic<LONG> refs_{1};
    IID iid_;
};

class Factory : public IClassFactory {
public:
    explicit Factory(const IID& iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Component* component = new Component(iid_);
        const HRESULT hr = component->QueryInterface(riid, ppv);
        component->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~Factory() = default;
    std::atomic<LONG> refs_{1};
    IID iid_;
};
}  // namespace

FakeComponents::FakeComponents(const bool (&present)[settings::kEffectCount + 1]) {
    for (size_t c = 0; c < controlpanel::kComponentClassCount; ++c) {
        const controlpanel::ComponentClass& component = controlpanel::kComponentClasses[c];
        bool wanted = false;
        for (uint8_t e = 0; e < component.count; ++e) wanted = wanted || present[component.effects[e]];
        if (!wanted) continue;
        CLSID clsid;
        IID iid;
        std::memcpy(&clsid, &component.clsid, sizeof clsid);
        std::memcpy(&iid, &component.iid, sizeof iid);
        auto* factory = new Factory(iid);
        DWORD cookie = 0;
        if (SUCCEEDED(CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)))
            cookies_.push_back(cookie);
        factories_.push_back(factory);
    }
}

FakeComponents::~FakeComponents() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
    for (IClassFactory* factory : factories_) factory->Release();
}

}  // namespace qx::panel
