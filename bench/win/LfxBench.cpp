// Cost of one local-effects period under the Windows build (run under Wine): the chain
// with pass-through components, so the figures are the processor's own work (split,
// mixers, converter, write-back), reported as a fraction of the period's real-time
// duration. Not a test: it prints figures and always succeeds.
#include <windows.h>
#include <objbase.h>

#include <initializer_list>
#include <vector>

#include "bench/win/BenchHarness.h"
#include "bench/win/PassThroughClasses.h"
#include "common/ComPtr.h"
#include "frame/ComObject.h"
#include "processors/LfxTables.h"
#include "processors/QXLFXLib.h"
#include "settings/PropertyStoreAccess.h"

namespace {

using qx::ComPtr;
using namespace qx::lfx;

void Measure(const char* name, uint32_t rate, uint32_t in, uint32_t out, uint32_t frames,
             std::initializer_list<uint8_t> flags) {
    ComPtr<IQXEffectProcessor> lfx;
    qx::ComObjectRoot::Create<qx::QXLFXLib>(nullptr, __uuidof(IQXEffectProcessor), lfx.PutVoid());
    const ComPtr<IPropertyStore> endpoint = qx::bench::NewMemoryStore(), fx = qx::bench::NewMemoryStore();
    qx::settings::WriteUInt(endpoint.Get(), qx::settings::key::EndpointFormFactor, 3);
    for (uint8_t flag : flags) qx::settings::WriteUInt(fx.Get(), kEnableKeys[flag], 1);
    lfx->Initialize(endpoint.Get());
    lfx->LockForProcess(rate, in, out, frames, fx.Get(), 1);

    const std::vector<float> input = qx::bench::TestSignal(size_t(in) * frames);
    std::vector<float> output(size_t(out) * frames);
    qx::bench::ReportPeriodCost(name, rate, frames, [&] { lfx->Process(input.data(), output.data(), frames); });
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    {
        qx::bench::PassThroughClasses classes;
        for (const ComponentClass& c : kComponentClasses) classes.Add(c.clsid, c.creationIid);
        Measure("48000 Hz, 2 -> 2 ch, 480 frames, Dolby, Clarity, Shifter, Max", 48000, 2, 2, 480,
                {FlagDolbySurround, FlagVoiceClarity, FlagSpeakerShifter, FlagNuvexMax});
        Measure("44100 Hz, 2 -> 8 ch, 441 frames, Pro Logic, Clarity, Shifter", 44100, 2, 8, 441,
                {FlagProLogic, FlagVoiceClarity, FlagSpeakerShifter});
        Measure("22050 Hz, 2 -> 2 ch, 220 frames, Nuvex, Max (converted)", 22050, 2, 2, 220,
                {FlagNuvex, FlagNuvexMax});
        // At 96000 the chain runs at 48000: the converter takes each channel down and back.
        Measure("96000 Hz, 2 -> 2 ch, 960 frames, Dolby, Clarity, Shifter, Max", 96000, 2, 2, 960,
                {FlagDolbySurround, FlagVoiceClarity, FlagSpeakerShifter, FlagNuvexMax});
        Measure("96000 Hz, 2 -> 6 ch, 960 frames, Pro Logic, Clarity, Shifter", 96000, 2, 6, 960,
                {FlagProLogic, FlagVoiceClarity, FlagSpeakerShifter});
        Measure("96000 Hz, 2 -> 8 ch, 960 frames, Pro Logic, Clarity, Shifter", 96000, 2, 8, 960,
                {FlagProLogic, FlagVoiceClarity, FlagSpeakerShifter});
    }
    CoUninitialize();
    return 0;
}
