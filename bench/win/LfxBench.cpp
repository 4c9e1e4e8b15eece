// Cost of one local-effects period under the Windows build (run under Wine): the chain
// with pass-through components, so the figures are the processor's own work (split,
// mixers, converter, write-back), reported as a fraction of the period's real-time
// duration. Not a test: it prints figures and always succeeds.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "common/ComPtr.h"
#include "processors/LfxTables.h"
#include "processors/QXLFXLib.h"
#include "server/ComObject.h"
#include "settings/PropertyStoreAccess.h"

namespace {

using qx::ComPtr;
using namespace qx::lfx;

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

void Measure(const char* name, uint32_t rate, uint32_t in, uint32_t out, uint32_t frames, int periods,
             std::initializer_list<uint8_t> flags) {
    ComPtr<IQXEffectProcessor> lfx;
    qx::ComObjectRoot::Create<qx::QXLFXLib>(nullptr, __uuidof(IQXEffectProcessor), lfx.PutVoid());
    ComPtr<IPropertyStore> endpoint, fx;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, endpoint.PutVoid());
    PSCreateMemoryPropertyStore(IID_IPropertyStore, fx.PutVoid());
    qx::settings::WriteUInt(endpoint.Get(), qx::settings::key::EndpointFormFactor, 3);
    for (uint8_t flag : flags) qx::settings::WriteUInt(fx.Get(), kEnableKeys[flag], 1);
    lfx->Initialize(endpoint.Get());
    lfx->LockForProcess(rate, in, out, frames, fx.Get(), 1);

    std::vector<float> input(size_t(in) * frames), output(size_t(out) * frames);
    for (size_t i = 0; i < input.size(); ++i) input[i] = float(i % 97) / 97.0f - 0.5f;
    for (int i = 0; i < periods / 10; ++i) lfx->Process(input.data(), output.data(), frames);  // warm-up
    const double start = Seconds();
    for (int i = 0; i < periods; ++i) lfx->Process(input.data(), output.data(), frames);
    const double perPeriod = (Seconds() - start) / periods;
    const double realTime = double(frames) / rate;
    std::printf("%-58s %9.2f us per period of %6.2f ms: %.5f of real time\n", name, perPeriod * 1e6,
                realTime * 1e3, perPeriod / realTime);
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    std::vector<std::unique_ptr<PassThrough>> components;
    std::vector<DWORD> cookies;
    for (const ComponentClass& c : kComponentClasses) {
        components.push_back(std::make_unique<PassThrough>(ToGuid(c.creationIid)));
        DWORD cookie = 0;
        CoRegisterClassObject(ToGuid(c.clsid), static_cast<IClassFactory*>(components.back().get()),
                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        cookies.push_back(cookie);
    }
    Measure("48000 Hz, 2 -> 2 ch, 480 frames, Dolby, Clarity, Shifter, Max", 48000, 2, 2, 480, 20000,
            {FlagDolbySurround, FlagVoiceClarity, FlagSpeakerShifter, FlagNuvexMax});
    Measure("44100 Hz, 2 -> 8 ch, 441 frames, Pro Logic, Clarity, Shifter", 44100, 2, 8, 441, 20000,
            {FlagProLogic, FlagVoiceClarity, FlagSpeakerShifter});
    Measure("22050 Hz, 2 -> 2 ch, 220 frames, Nuvex, Max (converted)", 22050, 2, 2, 220, 20000,
            {FlagNuvex, FlagNuvexMax});
    for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
