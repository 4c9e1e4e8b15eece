#include "tests/support/RecordingComponent.h"

#include <cstring>

namespace qx::test {

void CallLog::Add(ComponentCall call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
}

std::vector<ComponentCall> CallLog::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<ComponentCall> CallLog::Calls(ComponentCall::Kind kind) const {
    std::vector<ComponentCall> out;
    for (auto& c : Calls())
        if (c.kind == kind) out.push_back(c);
    return out;
}

std::vector<ComponentCall> CallLog::CallsOf(const std::wstring& component) const {
    std::vector<ComponentCall> out;
    for (auto& c : Calls())
        if (c.component == component) out.push_back(c);
    return out;
}

std::vector<std::wstring> CallLog::ProcessOrder() const {
    std::vector<std::wstring> out;
    for (auto& c : Calls(ComponentCall::Process)) out.push_back(c.component);
    return out;
}

void CallLog::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

RecordingComponent::RecordingComponent(CallLog& log, std::wstring name, const IID& creationIid,
                                       const ComponentBehaviour& behaviour)
    : log_(log), name_(std::move(name)), creationIid_(creationIid), behaviour_(behaviour) {}

HRESULT RecordingComponent::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IQXEffectComponent)) ||
        IsEqualIID(riid, creationIid_)) {
        *ppv = static_cast<IQXEffectComponent*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG RecordingComponent::AddRef() { return ULONG(++refs_); }

ULONG RecordingComponent::Release() {
    const LONG n = --refs_;
    if (n == 0) delete this;
    return ULONG(n);
}

HRESULT RecordingComponent::Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                       UINT32 flag) {
    ComponentCall call{ComponentCall::Initialize, name_};
    if (in) call.hasIn = true, call.in = *in;
    if (out) call.hasOut = true, call.out = *out;
    call.maxFrames = maxFrames;
    call.flag = flag;
    log_.Add(std::move(call));
    return behaviour_.initializeResult;
}

HRESULT RecordingComponent::SetParameter(BYTE id, BYTE size, const void* data) {
    ComponentCall call{ComponentCall::SetParameter, name_};
    call.id = id;
    call.size = size;
    call.dataNull = data == nullptr;
    if (data && size) call.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    log_.Add(std::move(call));
    return behaviour_.setParameterResult;
}

HRESULT RecordingComponent::Process(float* const* in, void* const* out, UINT32 frames) {
    if (log_.RecordProcess()) {
        ComponentCall call{ComponentCall::Process, name_};
        call.inTable = in;
        call.outTable = out;
        call.frames = frames;
        log_.Add(std::move(call));
    }
    if (behaviour_.onProcess) behaviour_.onProcess(in, out, frames);
    return behaviour_.processResult;
}

class ComponentRegistration::Factory : public IClassFactory {
public:
    explicit Factory(ComponentRegistration& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
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
        auto* component = new RecordingComponent(owner_.log_, owner_.name_, owner_.creationIid_, owner_.behaviour_);
        const HRESULT hr = component->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr)) {
            std::lock_guard<std::mutex> lock(owner_.mutex_);
            owner_.instances_.push_back(component);  // keeps the creation reference
        } else {
            component->Release();
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~Factory() = default;
    std::atomic<LONG> refs_{1};
    ComponentRegistration& owner_;
};

ComponentRegistration::ComponentRegistration(CallLog& log, const CLSID& clsid, const IID& creationIid,
                                             std::wstring name)
    : log_(log), clsid_(clsid), creationIid_(creationIid), name_(std::move(name)) {
    factory_ = new Factory(*this);
    if (FAILED(CoRegisterClassObject(clsid_, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
        cookie_ = 0;
}

ComponentRegistration::~ComponentRegistration() {
    if (cookie_) CoRevokeClassObject(cookie_);
    factory_->Release();
    for (RecordingComponent* c : instances_) c->Release();
}

size_t ComponentRegistration::InstanceCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return instances_.size();
}

RecordingComponent* ComponentRegistration::Instance(size_t i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return i < instances_.size() ? instances_[i] : nullptr;
}

bool ComponentRegistration::AllReleasedByOthers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (RecordingComponent* c : instances_)
        if (c->RefCount() != 1) return false;
    return true;
}

}  // namespace qx::test
