// Cost of one capture period under the Windows build (run under Wine): every effect of
// the capture chain enabled as pass-through components (all but the outside echo
// canceller's switch, which needs the outside object), so the figures are the
// processor's own work (split, converter, write-back), reported as a fraction of the
// period's real-time duration. Not a test: it prints figures and always succeeds.
#include <windows.h>
#include <objbase.h>

#include <vector>

#include "bench/win/BenchHarness.h"
#include "bench/win/PassThroughClasses.h"
#include "common/ComPtr.h"
#include "processors/QXMicLFXLib.h"
#include "frame/ComObject.h"
#include "settings/Guid.h"
#include "settings/PropertyStoreAccess.h"

namespace {

using qx::ComPtr;
using qx::QXMicLFXLib;
namespace key = qx::settings::key;

void Measure(const char* name, uint32_t rate, uint32_t in, uint32_t out, uint32_t frames) {
    ComPtr<IQXEffectProcessor> mic;
    qx::ComObjectRoot::Create<QXMicLFXLib>(nullptr, __uuidof(IQXEffectProcessor), mic.PutVoid());
    const ComPtr<IPropertyStore> endpoint = qx::bench::NewMemoryStore(), fx = qx::bench::NewMemoryStore();
    qx::settings::WriteUInt(endpoint.Get(), key::EndpointFormFactor, 4);
    for (const qx::settings::KeyId& k : {key::EncEnable, key::MagicVoiceEnable, key::MicEchoEnable,
                                         key::NoiseReductionEnable, key::BeamFormingEnable, key::AecEnable,
                                         key::MixOutputEnable})
        qx::settings::WriteUInt(fx.Get(), k, 1);
    mic->Initialize(endpoint.Get());
    mic->LockForProcess(rate, in, out, frames, fx.Get(), 1);

    const std::vector<float> input = qx::bench::TestSignal(size_t(in) * frames);
    std::vector<float> output(size_t(out) * frames);
    qx::bench::ReportPeriodCost(name, rate, frames, [&] { mic->Process(input.data(), output.data(), frames); });
}

qx::Guid ToGuid(const GUID& g) {
    qx::Guid out{g.Data1, g.Data2, g.Data3, {}};
    for (int k = 0; k < 8; ++k) out.data4[k] = g.Data4[k];
    return out;
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    {
        qx::bench::PassThroughClasses classes;
        for (const qx::QXMicLFXLib::ComponentInfo& c : qx::QXMicLFXLib::kComponents)
            classes.Add(ToGuid(c.clsid), ToGuid(c.creationIid));
        Measure("48000 Hz, 2 -> 2 ch, 480 frames, every effect", 48000, 2, 2, 480);
        Measure("96000 Hz, 2 -> 2 ch, 960 frames, every effect (converted)", 96000, 2, 2, 960);
        Measure("96000 Hz, 4 -> 4 ch, 960 frames, every effect (converted)", 96000, 4, 4, 960);
    }
    CoUninitialize();
    return 0;
}
