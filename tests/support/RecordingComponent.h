#pragma once
// A stand-in effect component for tests. It answers its creation IID and
// IQXEffectComponent, records every call into a CallLog shared by all components of a
// test (so the order across components can be checked), returns what it is told to and
// can act on the buffers it is given.
#include <windows.h>
#include <mmreg.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/ClassRegistration.h"
#include "common/ComPtr.h"
#include "common/UnknownObject.h"
#include "settings/IQXEffectComponent.h"

namespace qx::test {

struct ComponentCall {
    enum Kind { Initialize, SetParameter, Process } kind;
    std::wstring component;
    // Initialize
    bool hasOut = false;
    WAVEFORMATEX in{};
    WAVEFORMATEX out{};
    UINT32 maxFrames = 0;
    UINT32 flag = 0;
    // SetParameter
    BYTE id = 0;
    BYTE size = 0;
    std::vector<uint8_t> data;
    // Process
    float* const* inTable = nullptr;
    void* const* outTable = nullptr;
    UINT32 frames = 0;
};

class CallLog {
public:
    void Add(ComponentCall call);
    std::vector<ComponentCall> Calls() const;
    std::vector<ComponentCall> Calls(ComponentCall::Kind kind) const;
    // The names of the components whose Process ran, in order.
    std::vector<std::wstring> ProcessOrder() const;
    void Clear();
    // Stops recording Process calls (for tests that count allocations in the audio path).
    void SetRecordProcess(bool on) { recordProcess_ = on; }
    bool RecordProcess() const { return recordProcess_; }

private:
    mutable std::mutex mutex_;
    std::vector<ComponentCall> calls_;
    std::atomic<bool> recordProcess_{true};
};

struct ComponentBehaviour {
    HRESULT initializeResult = S_OK;
    HRESULT setParameterResult = S_OK;
    HRESULT processResult = S_OK;
    // Runs inside Process with the tables and frame count the component was given.
    std::function<void(float* const* in, void* const* out, UINT32 frames)> onProcess;
};

class RecordingComponent : public UnknownObject<IQXEffectComponent> {
public:
    RecordingComponent(CallLog& log, std::wstring name, const IID& creationIid, const ComponentBehaviour& behaviour);

    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                         UINT32 flag) override;
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE id, BYTE size, const void* data) override;
    HRESULT STDMETHODCALLTYPE Process(float* const* in, void* const* out, UINT32 frames) override;

    const std::wstring& Name() const { return name_; }

private:
    void* FindInterface(REFIID riid) override;

    CallLog& log_;
    std::wstring name_;
    IID creationIid_;
    const ComponentBehaviour& behaviour_;
};

// Registers a class factory for one component CLSID with CoRegisterClassObject for the
// registration's lifetime. The factory creates RecordingComponents named `name` that
// behave as `Behaviour()` says at the time of the call.
class ComponentRegistration {
public:
    // Neither copied nor moved (its mutex and class registration are not): the factory holds `this`.
    ComponentRegistration(CallLog& log, const CLSID& clsid, const IID& creationIid, std::wstring name);

    ComponentBehaviour& Behaviour() { return behaviour_; }
    const std::wstring& Name() const { return name_; }
    size_t InstanceCount() const;
    // Instances created so far (kept alive by the registration for inspection).
    RecordingComponent* Instance(size_t i) const;
    // True when every instance's only remaining reference is the registration's own.
    bool AllReleasedByOthers() const;
    bool Registered() const { return registration_.Registered(); }

private:
    HRESULT Create(REFIID riid, void** ppv);

    CallLog& log_;
    IID creationIid_;
    std::wstring name_;
    ComponentBehaviour behaviour_;
    mutable std::mutex mutex_;
    std::vector<ComPtr<RecordingComponent>> instances_;  // each holds its creation reference
    ClassRegistration registration_;  // last: revoked before the instances go
};

}  // namespace qx::test
