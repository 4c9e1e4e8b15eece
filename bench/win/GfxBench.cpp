// Cost of one global-effects period under the Windows build (run under Wine): all eight
// in-place effects enabled as pass-through components, reported as a fraction of the
// period's real-time duration. Not a test: it prints figures and always succeeds.
#include <windows.h>
#include <objbase.h>

#include <vector>

#include "bench/win/BenchHarness.h"
#include "bench/win/PassThroughClasses.h"
#include "common/ComPtr.h"
#include "frame/ComObject.h"
#include "processors/GFXTables.h"
#include "processors/QXGFXLib.h"
#include "settings/PropertyStoreAccess.h"

namespace {

using qx::ComPtr;

void Measure(const char* name, uint32_t rate, uint32_t channels, uint32_t frames, bool swaps) {
    ComPtr<IQXEffectProcessor> gfx;
    qx::ComObjectRoot::Create<qx::QXGFXLib>(nullptr, __uuidof(IQXEffectProcessor), gfx.PutVoid());
    const ComPtr<IPropertyStore> endpoint = qx::bench::NewMemoryStore(), fx = qx::bench::NewMemoryStore();
    qx::settings::WriteUInt(endpoint.Get(), qx::settings::key::EndpointFormFactor, 1);
    for (uint8_t slot : qx::gfx::kEnableOrder)
        if (slot < qx::gfx::SlotSwapCenterSub || swaps) qx::settings::WriteUInt(fx.Get(), qx::gfx::kEnableKeys[slot], 1);
    // A missing endpoint GUID fails Initialize; write one.
    PROPVARIANT guid;
    PropVariantInit(&guid);
    guid.vt = VT_LPWSTR;
    guid.pwszVal = const_cast<wchar_t*>(L"{bench}");
    endpoint->SetValue(qx::settings::ToPropertyKey(qx::settings::key::EndpointGuid), guid);

    gfx->Initialize(endpoint.Get());
    gfx->LockForProcess(rate, channels, channels, frames, fx.Get(), 1);
    const std::vector<float> in = qx::bench::TestSignal(size_t(channels) * frames);
    std::vector<float> out(in.size());
    qx::bench::ReportPeriodCost(name, rate, frames, [&] { gfx->Process(in.data(), out.data(), frames); });
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    {
        qx::bench::PassThroughClasses classes;
        for (const auto& info : qx::gfx::kSlots)
            if (info.hasComponent) classes.Add(info.clsid, info.creationIid);
        Measure("48000 Hz, 2 ch, 480 frames, 8 effects", 48000, 2, 480, false);
        Measure("192000 Hz, 8 ch, 1920 frames, 8 effects, swaps", 192000, 8, 1920, true);
    }
    CoUninitialize();
    return 0;
}
