#include "host/ComponentProbe.h"

#include "common/ComPtr.h"
#include "processors/GFXTables.h"
#include "settings/IQXEffectComponent.h"

namespace qx::host {

namespace {
// Names of the global processor's slots, by slot index.
constexpr const char* kGlobalSlotNames[gfx::kSlotCount] = {
    "Equalizer",   "15-Band Equalizer", "Key Shifting", "Vocal Fading",   "Vocal Remover",
    "Environment", "Flex Bass",         "Smart Volume Normalizer",        "AC-3 encoder",
    "DTS encoder", "output monitor",    "Swap Center and Subwoofer",      "Swap Side and Rear",
};

GUID ToGuid(const Guid& g) {
    GUID out;
    static_assert(sizeof(out) == sizeof(g), "same layout");
    memcpy(&out, &g, sizeof out);
    return out;
}

template <size_t N>
void AddSlots(std::vector<ComponentClass>& out, const uint8_t (&slots)[N]) {
    for (uint8_t slot : slots)
        out.push_back({kGlobalSlotNames[slot], ToGuid(gfx::kSlots[slot].clsid), ToGuid(gfx::kSlots[slot].creationIid)});
}
}  // namespace

std::vector<ComponentClass> ComponentClassesOf(ProcessorKind kind, uint32_t formFactor) {
    std::vector<ComponentClass> classes;
    if (kind != ProcessorKind::Global) return classes;
    AddSlots(classes, gfx::kCommonSlots);
    if (formFactor == settings::FormFactorSpdif) AddSlots(classes, gfx::kSpdifSlots);
    else AddSlots(classes, gfx::kOtherEndpointSlots);
    return classes;
}

ProbeResult ProbeComponents(const std::vector<ComponentClass>& classes) {
    ProbeResult result;
    for (const ComponentClass& c : classes) {
        ComPtr<IUnknown> created;
        ComPtr<IQXEffectComponent> component;
        const bool ok =
            SUCCEEDED(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.creationIid, created.PutVoid())) &&
            SUCCEEDED(created->QueryInterface(__uuidof(IQXEffectComponent), component.PutVoid()));
        (ok ? result.present : result.absent).push_back(c.name);
    }
    return result;
}

}  // namespace qx::host
