// The real sample components behind the global processor, served from QXSampleFX.dll by
// class identifier the way the processor creates them: from the first period after the
// lock, no heap call on any thread, in the program or in the DLL.
#include <cmath>
#include <iterator>

#include "host/ComponentProbe.h"
#include "host/InProcessServer.h"
#include "processors/IQXEffectProcessor.h"
#include "tests/components/SampleFx.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Stores.h"

namespace qx::test {
namespace {

// The global processor with every sample component the DLL serves and every effect on,
// converted (96000) and not (44100); its own converter and mixers, and those of the other
// processors, are checked with recording components by their processors' tests.
class SampleChainAudioPath : public SampleFxTest, public testing::WithParamInterface<uint32_t> {};

TEST_P(SampleChainAudioPath, NoHeapCallFromTheFirstPeriodAfterTheLock) {
    const uint32_t rate = GetParam(), channels = 6;
    host::InProcessServer components;  // outlives the processor that uses its classes
    std::string error;
    ASSERT_TRUE(components.Load(host::ProgramFolder() + L"QXSampleFX.dll", error)) << error;
    std::vector<CLSID> classes;
    for (const host::ComponentClass& c :
         host::ComponentClassesOf(host::ProcessorKind::Global, settings::FormFactorSpeakers))
        classes.push_back(c.clsid);
    ASSERT_EQ(std::size(kAll), components.RegisterClasses(classes));

    const ComPtr<IPropertyStore> endpoint = NewEndpointStore(settings::FormFactorSpeakers), fx = NewMemoryStore();
    for (const settings::EffectInfo& effect : settings::kEffectTable)
        if (effect.processor == settings::Processor::GFX) PutUInt(fx.Get(), effect.enableKey, 1);
    const ComPtr<IQXEffectProcessor> processor = NewProcessor(gfx::kGfx);
    ASSERT_TRUE(processor);
    ASSERT_EQ(S_OK, processor->Initialize(endpoint.Get()));
    const uint32_t period = rate / 100;
    ASSERT_EQ(S_OK, processor->LockForProcess(rate, channels, channels, period, fx.Get(), 1));

    std::vector<float> in(size_t(period) * channels), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.25f * float(std::sin(0.05 * double(i)));
    AllocationCounter counter;
    for (int n = 0; n < 20; ++n) {
        EXPECT_TRUE(SUCCEEDED(processor->Process(in.data(), out.data(), period))) << "period " << n;
        processor->ProcessMonitor(out.data(), period);
    }
    EXPECT_EQ(0u, counter.Count()) << "sizes: " << testing::PrintToString(counter.Sizes());
    // The counter sees the program and the DLL, whose own runtime allocates here.
    EXPECT_GE(counter.PatchedModules(), 2u);
    Make(kEnvironment);
    EXPECT_GT(counter.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(GlobalChain, SampleChainAudioPath, testing::Values(96000u, 44100u),
                         [](const testing::TestParamInfo<uint32_t>& info) { return "At" + std::to_string(info.param); });

}  // namespace
}  // namespace qx::test
