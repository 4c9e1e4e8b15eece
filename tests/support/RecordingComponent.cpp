#include "tests/support/RecordingComponent.h"

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

void* RecordingComponent::FindInterface(REFIID riid) {
    if (IsEqualIID(riid, creationIid_)) return static_cast<IQXEffectComponent*>(this);
    return UnknownObject::FindInterface(riid);
}

// Each call is recorded with the fields of its kind, in the order ComponentCall declares them.
HRESULT RecordingComponent::Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                       UINT32 flag) {
    log_.Add({ComponentCall::Initialize, name_, out != nullptr, in ? *in : WAVEFORMATEX{}, out ? *out : WAVEFORMATEX{},
              maxFrames, flag});
    return behaviour_.initializeResult;
}

HRESULT RecordingComponent::SetParameter(BYTE id, BYTE size, const void* data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    log_.Add({ComponentCall::SetParameter, name_, false, {}, {}, 0, 0, id, size, {bytes, bytes ? bytes + size : bytes}});
    return behaviour_.setParameterResult;
}

HRESULT RecordingComponent::Process(float* const* in, void* const* out, UINT32 frames) {
    if (log_.RecordProcess())
        log_.Add({ComponentCall::Process, name_, false, {}, {}, 0, 0, 0, 0, {}, in, out, frames});
    if (behaviour_.onProcess) behaviour_.onProcess(in, out, frames);
    return behaviour_.processResult;
}

ComponentRegistration::ComponentRegistration(CallLog& log, const CLSID& clsid, const IID& creationIid,
                                             std::wstring name)
    : log_(log),
      creationIid_(creationIid),
      name_(std::move(name)),
      registration_(clsid, [this](REFIID riid, void** ppv) { return Create(riid, ppv); }) {}

HRESULT ComponentRegistration::Create(REFIID riid, void** ppv) {
    auto* component = new RecordingComponent(log_, name_, creationIid_, behaviour_);
    const HRESULT hr = component->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr)) {
        std::lock_guard<std::mutex> lock(mutex_);
        instances_.push_back(ComPtr<RecordingComponent>::Attach(component));
    } else {
        component->Release();
    }
    return hr;
}

size_t ComponentRegistration::InstanceCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return instances_.size();
}

RecordingComponent* ComponentRegistration::Instance(size_t i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return i < instances_.size() ? instances_[i].Get() : nullptr;
}

bool ComponentRegistration::AllReleasedByOthers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const ComPtr<RecordingComponent>& c : instances_)
        if (c->RefCount() != 1) return false;
    return true;
}

}  // namespace qx::test
