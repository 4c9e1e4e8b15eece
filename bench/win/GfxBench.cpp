// Cost of one global-effects period under the Windows build (run under Wine): all eight
// in-place effects enabled as pass-through components, reported as a fraction of the
// period's real-time duration. Not a test: it prints figures and always succeeds.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/ComPtr.h"
#include "processors/GFXTables.h"
#include "processors/QXGFXLib.h"
#include "server/ComObject.h"
#include "settings/PropertyStoreAccess.h"

namespace {

using qx::ComPtr;

// An effect component that accepts everything and changes nothing.
class PassThrough : public IQXEffectComponent, public IClassFactory {
public:
    explicit PassThrough(const IID& creationIid) : iid_(creationIid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
        } else if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IQXEffectComponent)) ||
                   IsEqualIID(riid, iid_)) {
            *ppv = static_cast<IQXEffectComponent*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // Lives as long as the program: one object serves as factory and component.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX*, const WAVEFORMATEX*, UINT32, UINT32) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetParameter(BYTE, BYTE, const void*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Process(float* const*, void* const*, UINT32) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IID iid_;
};

GUID ToGuid(const qx::Guid& g) {
    GUID out;
    std::memcpy(&out, &g, sizeof out);
    return out;
}

double Seconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return double(now.QuadPart) / double(freq.QuadPart);
}

// CPU time of this thread: on a loaded machine wall time also counts the waits.
double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
}

// Runs periods in batches for at least one second of wall time.
void Measure(const char* name, uint32_t rate, uint32_t channels, uint32_t frames, bool swaps) {
    ComPtr<IQXEffectProcessor> gfx;
    qx::ComObjectRoot::Create<qx::QXGFXLib>(nullptr, __uuidof(IQXEffectProcessor), gfx.PutVoid());
    ComPtr<IPropertyStore> endpoint, fx;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, endpoint.PutVoid());
    PSCreateMemoryPropertyStore(IID_IPropertyStore, fx.PutVoid());
    qx::settings::WriteUInt(endpoint.Get(), qx::settings::key::EndpointFormFactor, 1);
    for (uint32_t slot = 0; slot < qx::gfx::kSlotCount; ++slot) {
        const auto& info = qx::gfx::kSlots[slot];
        const bool swap = slot >= qx::gfx::SlotSwapCenterSub;
        if (info.hasEnableKey && (!swap || swaps)) qx::settings::WriteUInt(fx.Get(), info.enableKey, 1);
    }
    // A missing endpoint GUID fails Initialize; write one.
    PROPVARIANT guid;
    PropVariantInit(&guid);
    guid.vt = VT_LPWSTR;
    guid.pwszVal = const_cast<wchar_t*>(L"{bench}");
    endpoint->SetValue(qx::settings::ToPropertyKey(qx::settings::key::EndpointGuid), guid);

    gfx->Initialize(endpoint.Get());
    gfx->LockForProcess(rate, channels, channels, frames, fx.Get(), 1);
    std::vector<float> in(size_t(channels) * frames), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = float(i % 97) / 97.0f - 0.5f;

    for (int i = 0; i < 10; ++i) gfx->Process(in.data(), out.data(), frames);  // warm-up
    const double start = Seconds(), startCpu = ThreadSeconds();
    long periods = 0;
    do {
        for (int i = 0; i < 100; ++i) gfx->Process(in.data(), out.data(), frames);
        periods += 100;
    } while (Seconds() - start < 1.0);
    const double wall = (Seconds() - start) / periods;
    const double cpu = (ThreadSeconds() - startCpu) / periods;
    const double realTime = double(frames) / rate;
    std::printf("%-48s per period of %.2f ms: wall %9.2f us (%.5f of real time), cpu %9.2f us (%.5f)\n", name,
                realTime * 1e3, wall * 1e6, wall / realTime, cpu * 1e6, cpu / realTime);
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    std::vector<std::unique_ptr<PassThrough>> components;
    std::vector<DWORD> cookies;
    for (const auto& info : qx::gfx::kSlots) {
        if (!info.hasComponent) continue;
        components.push_back(std::make_unique<PassThrough>(ToGuid(info.creationIid)));
        DWORD cookie = 0;
        CoRegisterClassObject(ToGuid(info.clsid), static_cast<IClassFactory*>(components.back().get()),
                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        cookies.push_back(cookie);
    }
    Measure("48000 Hz, 2 ch, 480 frames, 8 effects", 48000, 2, 480, false);
    Measure("192000 Hz, 8 ch, 1920 frames, 8 effects, swaps", 192000, 8, 1920, true);
    for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
