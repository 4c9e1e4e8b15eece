#include "tests/components/SampleFxLibrary.h"

#include <algorithm>
#include <string>

#include "host/InProcessServer.h"

namespace qx::test {

namespace {
HMODULE LoadNextToProgram(const wchar_t* name) {
    const std::wstring folder = host::ProgramFolder();
    return folder.empty() ? nullptr : LoadLibraryW((folder + name).c_str());
}
}  // namespace

SampleFxLibrary::SampleFxLibrary() : module_(LoadNextToProgram(L"QXSampleFX.dll")) {
    if (!module_) return;
    const auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)); };
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(find("DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<NoArgFn>(find("DllCanUnloadNow"));
    register_ = reinterpret_cast<NoArgFn>(find("DllRegisterServer"));
    unregister_ = reinterpret_cast<NoArgFn>(find("DllUnregisterServer"));
}

ComPtr<IQXEffectComponent> SampleFxLibrary::Create(REFCLSID clsid, REFIID creationIid) const {
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> created;
    ComPtr<IQXEffectComponent> component;
    if (FAILED(GetClassObject(clsid, IID_IClassFactory, factory.PutVoid()))) return component;
    if (FAILED(factory->CreateInstance(nullptr, creationIid, created.PutVoid()))) return component;
    created->QueryInterface(__uuidof(IQXEffectComponent), component.PutVoid());
    return component;
}

const SampleFxLibrary& SampleFx() {
    static const SampleFxLibrary library;
    return library;
}

ComPtr<IQXEffectComponent> SampleFxTest::Make(const ids::ComponentId& id, uint32_t rate, uint16_t channels,
                                              UINT32 flag) {
    ComPtr<IQXEffectComponent> c = SampleFx().Create(id.clsid, id.creationIid);
    const WAVEFORMATEX f = FloatFormat(rate, channels);
    EXPECT_TRUE(c && c->Initialize(&f, &f, rate / 100, flag) == S_OK);
    return c;
}

void PlanarSignal::AddTone(uint32_t channel, double rate, double freq, double amplitude) {
    const double w = 2 * 3.14159265358979323846 * freq / rate;
    std::vector<float>& x = data_[channel];
    for (size_t i = 0; i < x.size(); ++i) x[i] += float(amplitude * std::sin(w * double(i)));
}

void PlanarSignal::Run(IQXEffectComponent* component, uint32_t period) {
    ASSERT_TRUE(component != nullptr);
    for (size_t start = 0; start < Frames(); start += period) {
        const uint32_t frames = uint32_t(std::min<size_t>(period, Frames() - start));
        float* table[8] = {};
        for (uint32_t c = 0; c < Channels(); ++c) table[c] = data_[c].data() + start;
        ASSERT_EQ(S_OK, component->Process(table, reinterpret_cast<void* const*>(table), frames));
    }
}

double Rms(const std::vector<float>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

double ToneGainDb(IQXEffectComponent* component, uint32_t rate, uint32_t channels, double freq, uint32_t channel) {
    if (!component) return NAN;
    PlanarSignal s(channels, rate);
    for (uint32_t c = 0; c < channels; ++c) s.AddTone(c, rate, freq, 0.1);
    const double before = Rms(s[channel], rate / 2, rate);
    s.Run(component, rate / 100);
    return Db(Rms(s[channel], rate / 2, rate) / before);
}

}  // namespace qx::test
