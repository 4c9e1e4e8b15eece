#include "components/SampleClassTable.h"

#include <new>

#include "components/dsp/EnvironmentReverb.h"
#include "components/dsp/FlexBass.h"
#include "components/dsp/GraphicEqualizer.h"
#include "components/dsp/ParametricEqualizer.h"
#include "components/dsp/SmartVolume.h"
#include "components/dsp/VocalFading.h"
#include "components/dsp/VocalRemover.h"
#include "settings/Guid.h"

namespace qx::samplefx {

namespace {
constexpr GUID G(const char (&text)[39]) {
    const Guid g = ParseGuid(text);
    return {g.data1, g.data2, g.data3, {g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5],
                                        g.data4[6], g.data4[7]}};
}

template <class T>
fx::Effect* Make() {
    return new (std::nothrow) T();
}
}  // namespace

const SampleClass kSampleClasses[] = {
    {G("{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}"), G("{4BE71351-495E-472C-9120-0F3C19899292}"),
     L"QXSampleFX Equalizer", Make<fx::GraphicEqualizer>},
    {G("{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}"), G("{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}"),
     L"QXSampleFX 15-Band Equalizer", Make<fx::ParametricEqualizer>},
    {G("{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}"), G("{77EFACE7-E768-45F3-834D-2986EC878B95}"),
     L"QXSampleFX Vocal Fading", Make<fx::VocalFading>},
    {G("{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}"), G("{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}"),
     L"QXSampleFX Vocal Remover", Make<fx::VocalRemover>},
    {G("{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}"), G("{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}"),
     L"QXSampleFX Environment", Make<fx::EnvironmentReverb>},
    {G("{37A6AA01-A5D2-4955-A678-89D76B1B8697}"), G("{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}"),
     L"QXSampleFX Flex Bass", Make<fx::FlexBass>},
    {G("{F5311147-D9A9-4750-9F1C-B708BD0689B1}"), G("{720E3044-EE69-46D1-A1D7-FF46C6AC9176}"),
     L"QXSampleFX Smart Volume Normalizer", Make<fx::SmartVolume>},
};
const size_t kSampleClassCount = sizeof(kSampleClasses) / sizeof(kSampleClasses[0]);

const SampleClass* FindSampleClass(REFCLSID clsid) {
    for (size_t i = 0; i < kSampleClassCount; ++i)
        if (IsEqualCLSID(kSampleClasses[i].clsid, clsid)) return &kSampleClasses[i];
    return nullptr;
}

}  // namespace qx::samplefx
