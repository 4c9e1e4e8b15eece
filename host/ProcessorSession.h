#pragma once
// One processor driven as the audio engine's plug-in drives it: created by class
// identifier, given an endpoint store and an FX store, locked to a format, then called
// period by period; settings changes are written to the FX store and reported.
#include <windows.h>
#include <propsys.h>

#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "host/HostOptions.h"
#include "host/InProcessServer.h"
#include "processors/IQXEffectProcessor.h"

namespace qx::host {

class ProcessorSession {
public:
    ProcessorSession();

    // Creates the processor through the registry, or from modulePath when given. When
    // the class is not registered it falls back to the module next to this program;
    // `origin` says which way it came.
    bool Create(ProcessorKind kind, const std::string& modulePath, std::string& origin, std::string& error);

    HRESULT Initialize(uint32_t formFactor);
    HRESULT Lock(uint32_t rate, uint32_t inChannels, uint32_t outChannels, uint32_t maxFrames, uint32_t outputTag);
    // Writes the setting into the FX store (before Lock, or with a report after it).
    HRESULT Write(const SettingValue& setting);
    HRESULT Change(const SettingValue& setting);

    HRESULT Process(const float* input, float* output, uint32_t frames) { return processor_->Process(input, output, frames); }
    HRESULT ProcessMonitor(const float* output, uint32_t frames) { return processor_->ProcessMonitor(output, frames); }

    IQXEffectProcessor* Processor() const { return processor_.Get(); }
    bool Ok() const { return bool(processor_) && bool(fxStore_) && bool(endpointStore_); }

private:
    // Declared first so that it is destroyed last, after the processor it served.
    InProcessServer directModule_;
    ComPtr<IPropertyStore> endpointStore_;
    ComPtr<IPropertyStore> fxStore_;
    ComPtr<IQXEffectProcessor> processor_;
};

const CLSID& ProcessorClsid(ProcessorKind kind);

}  // namespace qx::host
