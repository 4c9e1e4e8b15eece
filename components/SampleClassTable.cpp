#include "components/SampleClassTable.h"

#include <new>

#include "components/dsp/EnvironmentReverb.h"
#include "components/dsp/FlexBass.h"
#include "components/dsp/GraphicEqualizer.h"
#include "components/dsp/ParametricEqualizer.h"
#include "components/dsp/SmartVolume.h"
#include "components/dsp/VocalFading.h"
#include "components/dsp/VocalRemover.h"
#include "processors/GFXTables.h"
#include "settings/WinGuid.h"

namespace qx::samplefx {

namespace {
// The class and creation IID of one of the global processor's component slots.
constexpr GUID ClassOf(gfx::Slot slot) { return ToGuid(gfx::kSlots[slot].clsid); }
constexpr GUID IidOf(gfx::Slot slot) { return ToGuid(gfx::kSlots[slot].creationIid); }

template <class T>
fx::Effect* Make() {
    return new (std::nothrow) T();
}
}  // namespace

const SampleClass kSampleClasses[] = {
    {ClassOf(gfx::SlotEqualizer), IidOf(gfx::SlotEqualizer), L"QXSampleFX Equalizer", Make<fx::GraphicEqualizer>},
    {ClassOf(gfx::SlotEq15), IidOf(gfx::SlotEq15), L"QXSampleFX 15-Band Equalizer", Make<fx::ParametricEqualizer>},
    {ClassOf(gfx::SlotVocalFading), IidOf(gfx::SlotVocalFading), L"QXSampleFX Vocal Fading", Make<fx::VocalFading>},
    {ClassOf(gfx::SlotVocalRemover), IidOf(gfx::SlotVocalRemover), L"QXSampleFX Vocal Remover",
     Make<fx::VocalRemover>},
    {ClassOf(gfx::SlotEnvironment), IidOf(gfx::SlotEnvironment), L"QXSampleFX Environment",
     Make<fx::EnvironmentReverb>},
    {ClassOf(gfx::SlotFlexBass), IidOf(gfx::SlotFlexBass), L"QXSampleFX Flex Bass", Make<fx::FlexBass>},
    {ClassOf(gfx::SlotSmartVolume), IidOf(gfx::SlotSmartVolume), L"QXSampleFX Smart Volume Normalizer",
     Make<fx::SmartVolume>},
};
const size_t kSampleClassCount = sizeof(kSampleClasses) / sizeof(kSampleClasses[0]);

const SampleClass* FindSampleClass(REFCLSID clsid) {
    for (size_t i = 0; i < kSampleClassCount; ++i)
        if (IsEqualCLSID(kSampleClasses[i].clsid, clsid)) return &kSampleClasses[i];
    return nullptr;
}

}  // namespace qx::samplefx
