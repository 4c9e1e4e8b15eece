#include "host/ComponentProbe.h"

#include "common/ComPtr.h"
#include "processors/GFXTables.h"
#include "processors/LfxTables.h"
#include "processors/QXMicLFXLib.h"
#include "settings/IQXEffectComponent.h"
#include "settings/WinGuid.h"

namespace qx::host {

namespace {
// Names of the global processor's slots, by slot index.
constexpr const char* kGlobalSlotNames[gfx::kSlotCount] = {
    "Equalizer",   "15-Band Equalizer", "Key Shifting", "Vocal Fading",   "Vocal Remover",
    "Environment", "Flex Bass",         "Smart Volume Normalizer",        "AC-3 encoder",
    "DTS encoder", "output monitor",    "Swap Center and Subwoofer",      "Swap Side and Rear",
};

// Names of the local-effects processor's component slots, by slot index.
constexpr const char* kLocalSlotNames[lfx::kComponentClassCount] = {
    "Nuvex Surround", "Speaker Shifter", "Dolby Surround", "Dolby Pro Logic IIx",
    "DTS Surround Sensation", "DTS Neo:PC", "DTS Voice Clarity",
};

// Names of the capture processor's components, in its creation order.
constexpr const char* kCaptureNames[] = {"ENC", "Microphone Echo and Magic Voice",
                                         "Noise Reduction, Beam Forming and AEC", "Mix Output"};
static_assert(sizeof(kCaptureNames) / sizeof(kCaptureNames[0]) ==
                  sizeof(QXMicLFXLib::kComponents) / sizeof(QXMicLFXLib::kComponents[0]),
              "one name per capture component");

template <size_t N>
void AddGlobalSlots(std::vector<ComponentClass>& out, const uint8_t (&slots)[N]) {
    for (uint8_t slot : slots)
        out.push_back({kGlobalSlotNames[slot], ToGuid(gfx::kSlots[slot].clsid), ToGuid(gfx::kSlots[slot].creationIid)});
}

void AddLocalSlots(std::vector<ComponentClass>& out, uint32_t formFactor) {
    for (uint8_t slot : lfx::kCreationOrder) {
        if (slot == lfx::SlotDolbySurround && formFactor == settings::FormFactorSpdif) continue;
        const lfx::ComponentClass& c = lfx::kComponentClasses[slot];
        out.push_back({kLocalSlotNames[slot], ToGuid(c.clsid), ToGuid(c.creationIid)});
    }
}

void AddCaptureComponents(std::vector<ComponentClass>& out) {
    size_t i = 0;
    for (const auto& c : QXMicLFXLib::kComponents) out.push_back({kCaptureNames[i++], c.clsid, c.creationIid});
}
}  // namespace

std::vector<ComponentClass> ComponentClassesOf(ProcessorKind kind, uint32_t formFactor) {
    std::vector<ComponentClass> classes;
    switch (kind) {
    case ProcessorKind::Local: AddLocalSlots(classes, formFactor); break;
    case ProcessorKind::Capture: AddCaptureComponents(classes); break;
    default:
        AddGlobalSlots(classes, gfx::kCommonSlots);
        if (formFactor == settings::FormFactorSpdif) AddGlobalSlots(classes, gfx::kSpdifSlots);
        else AddGlobalSlots(classes, gfx::kOtherEndpointSlots);
        break;
    }
    return classes;
}

ProbeResult ProbeComponents(const std::vector<ComponentClass>& classes, ModuleWatch* modules) {
    ProbeResult result;
    for (const ComponentClass& c : classes) {
        ComPtr<IUnknown> created;
        ComPtr<IQXEffectComponent> component;
        const bool ok =
            SUCCEEDED(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.creationIid, created.PutVoid())) &&
            SUCCEEDED(created->QueryInterface(__uuidof(IQXEffectComponent), component.PutVoid()));
        if (ok && modules) modules->Watch(created.Get());
        (ok ? result.present : result.absent).push_back(c.name);
    }
    return result;
}

}  // namespace qx::host
