// The real sample components behind each processor, served from QXSampleFX.dll by class
// identifier the way the processors create them: from the first period after the lock,
// no heap call on any thread, in the program or in the DLL.
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <tuple>

#include <objbase.h>

#include "host/ComponentProbe.h"
#include "host/InProcessServer.h"
#include "host/ProcessorSession.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/components/SampleFx.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Stores.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

namespace qx::test {
namespace {

using host::ProcessorKind;

// ---- The counter sees every kind of heap call ---------------------------------------

class AllocationCounterTest : public SampleFxTest {};

// The counter sees heap calls of the sample DLL's own runtime too.
TEST_F(AllocationCounterTest, SeesTheSampleDllAllocate) {
    AllocationCounter counter;
    EXPECT_GE(counter.PatchedModules(), 2u) << "the test program and QXSampleFX.dll";
    Make(kEnvironment);
    EXPECT_GT(counter.Count(), 0u);
}

struct Chain {
    const char* name;
    ProcessorKind kind;
    settings::Processor effects;  // whose enable flags go on
    uint32_t formFactor;
    uint32_t in, out;
    size_t sampleComponents;  // classes the DLL serves for this processor
    HRESULT initialized;      // the capture processor without any component: E_NOINTERFACE
};
void PrintTo(const Chain& chain, std::ostream* os) { *os << chain.name; }
const Chain kChains[] = {
    {"Global", ProcessorKind::Global, settings::Processor::GFX, settings::FormFactorSpeakers, 6, 6,
     std::size(kAll), S_OK},
    {"Local", ProcessorKind::Local, settings::Processor::LFX, settings::FormFactorSpeakers, 2, 6, 0, S_OK},
    {"Capture", ProcessorKind::Capture, settings::Processor::MicLFX, settings::FormFactorMicrophone, 2, 2, 0,
     E_NOINTERFACE},
};

ComPtr<IQXEffectProcessor> NewProcessor(ProcessorKind kind) {
    ComPtr<IClassFactory> factory;
    ComPtr<IQXEffectProcessor> processor;
    if (SUCCEEDED(DllGetClassObject(host::ProcessorClsid(kind), IID_IClassFactory, factory.PutVoid())))
        factory->CreateInstance(nullptr, __uuidof(IQXEffectProcessor), processor.PutVoid());
    return processor;
}

class SampleChainAudioPath : public SampleFxTest, public testing::WithParamInterface<std::tuple<Chain, uint32_t>> {};

TEST_P(SampleChainAudioPath, NoHeapCallFromTheFirstPeriodAfterTheLock) {
    const auto& [chain, rate] = GetParam();
    host::InProcessServer components;  // outlives the processor that uses its classes
    std::string error;
    ASSERT_TRUE(components.Load(host::ProgramFolder() + L"QXSampleFX.dll", error)) << error;
    std::vector<CLSID> classes;
    for (const host::ComponentClass& c : host::ComponentClassesOf(chain.kind, chain.formFactor))
        classes.push_back(c.clsid);
    ASSERT_EQ(chain.sampleComponents, components.RegisterClasses(classes));

    const ComPtr<IPropertyStore> endpoint = NewEndpointStore(chain.formFactor), fx = NewMemoryStore();
    for (const settings::EffectInfo& effect : settings::kEffectTable)
        if (effect.processor == chain.effects) PutUInt(fx.Get(), effect.enableKey, 1);
    const ComPtr<IQXEffectProcessor> processor = NewProcessor(chain.kind);
    ASSERT_TRUE(processor);
    ASSERT_EQ(chain.initialized, processor->Initialize(endpoint.Get()));
    const uint32_t period = rate / 100;
    ASSERT_EQ(S_OK, processor->LockForProcess(rate, chain.in, chain.out, period, fx.Get(), 1));

    std::vector<float> in(size_t(period) * chain.in), out(size_t(period) * chain.out);
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.25f * float(std::sin(0.05 * double(i)));
    AllocationCounter counter;
    for (int n = 0; n < 20; ++n) {
        const HRESULT status = processor->Process(in.data(), out.data(), period);
        if (chain.kind == ProcessorKind::Global) processor->ProcessMonitor(out.data(), period);
        EXPECT_TRUE(SUCCEEDED(status)) << "period " << n;
    }
    EXPECT_EQ(0u, counter.Count()) << "sizes: " << testing::PrintToString(counter.Sizes());
}

INSTANTIATE_TEST_SUITE_P(EveryProcessor, SampleChainAudioPath,
                         testing::Combine(testing::ValuesIn(kChains), testing::Values(96000u, 44100u)),
                         [](const testing::TestParamInfo<std::tuple<Chain, uint32_t>>& info) {
                             return std::string(std::get<0>(info.param).name) + "At" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace qx::test
