// Which components the processor creates for an endpoint, and what Initialize returns.
#include "tests/gfx/GfxFixture.h"

namespace qx::test::gfx {
namespace {

using settings::key::EndpointGuid;

std::vector<int> CreatedSlots(const std::function<RecordingComponent*(int)>& component) {
    std::vector<int> out;
    for (int slot = 0; slot < kComponentSlots; ++slot)
        if (component(slot)) out.push_back(slot);
    return out;
}

TEST_F(GfxTest, SpeakerEndpointGetsFlexBassAndMonitorButNoEncoders) {
    EXPECT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    EXPECT_EQ(CreatedSlots([this](int s) { return Component(s); }),
              (std::vector<int>{Equalizer, Eq15, KeyShifting, VocalFading, VocalRemover, Environment, FlexBass,
                                SmartVolume, Monitor}));
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(8));
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(146));
}

TEST_F(GfxTest, SpdifEndpointGetsEncodersInsteadOfFlexBassAndMonitor) {
    EXPECT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    EXPECT_EQ(CreatedSlots([this](int s) { return Component(s); }),
              (std::vector<int>{Equalizer, Eq15, KeyShifting, VocalFading, VocalRemover, Environment, SmartVolume,
                                Ac3, Dts}));
    EXPECT_EQ(S_OK, gfx_->IsEncodedFormatSupported(8));
    EXPECT_EQ(S_OK, gfx_->IsEncodedFormatSupported(146));
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(1));
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(356));
}

TEST_F(GfxTest, EncoderSupportFollowsTheComponentsThatExist) {
    Unregister({Dts});
    EXPECT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    EXPECT_EQ(E_NOINTERFACE, gfx_->IsEncodedFormatSupported(8));
    EXPECT_EQ(S_OK, gfx_->IsEncodedFormatSupported(146));
}

TEST_F(GfxTest, AnEndpointWithoutFormFactorIsNotSpdif) {
    endpoint_ = NewEndpointStore(0);  // no form factor value: read as 0
    EXPECT_EQ(S_OK, gfx_->Initialize(endpoint_.Get()));
    EXPECT_NE(Component(FlexBass), nullptr);
    EXPECT_EQ(Component(Ac3), nullptr);
}

TEST_F(GfxTest, BadEndpointStoresCreateNothing) {
    EXPECT_EQ(E_POINTER, gfx_->Initialize(nullptr));

    // An object that is no property store.
    EXPECT_EQ(E_NOINTERFACE, gfx_->Initialize(gfx_.Get()));
    EXPECT_EQ(Component(Equalizer), nullptr);

    // The endpoint GUID cannot be read: its status is the result.
    ComPtr<IPropertyStore> inner = NewEndpointStore(settings::FormFactorSpdif);
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, inner.Get());
    failing->FailKey(EndpointGuid);
    ComPtr<IPropertyStore> store = ComPtr<IPropertyStore>::Attach(failing);
    EXPECT_EQ(E_ACCESSDENIED, gfx_->Initialize(store.Get()));
    EXPECT_EQ(Component(Equalizer), nullptr);
    EXPECT_EQ(Component(Ac3), nullptr);
}

TEST(GfxWithoutComponents, InitializeReportsNoInterfaceAndProcessingWritesNothing) {
    ComPtr<IQXEffectProcessor> gfx = NewProcessor();
    ComPtr<IPropertyStore> endpoint = NewEndpointStore(settings::FormFactorSpeakers);
    ComPtr<IPropertyStore> fx = NewMemoryStore();
    EXPECT_EQ(E_NOINTERFACE, gfx->Initialize(endpoint.Get()));
    PutUInt(fx.Get(), settings::key::EqualizerEnable, 1);
    // No component: the status of the last enable-key read (Swap Side and Rear).
    EXPECT_EQ(S_OK, gfx->LockForProcess(48000, 2, 2, 4, fx.Get(), 1));
    EXPECT_EQ(E_POINTER, gfx->LockForProcess(48000, 2, 2, 4, nullptr, 1));
    std::vector<float> in = Ramp(2, 4), out(8, -7.0f);
    EXPECT_EQ(1, gfx->Process(in.data(), out.data(), 4));
    EXPECT_EQ(out, std::vector<float>(8, -7.0f));
    EXPECT_EQ(S_OK, gfx->ProcessMonitor(in.data(), 4));
}

TEST_F(GfxTest, ReinitializingReleasesTheOldComponentsAndKeepsTheFlags) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    RecordingComponent* first = Component(Equalizer);
    Lock(48000, 2, 2, 4);
    ASSERT_EQ(S_OK, SetEnable(EnableKey(Equalizer), 1));

    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    EXPECT_EQ(first->RefCount(), 1);  // only the registration holds it now
    ASSERT_NE(Component(Equalizer), first);
    log_.Clear();
    std::vector<float> in = Ramp(2, 4), out(8);
    EXPECT_EQ(S_OK, gfx_->Process(in.data(), out.data(), 4));  // the flag survived
    ASSERT_EQ(log_.ProcessOrder(), (std::vector<std::wstring>{L"Equalizer"}));

    RecordingComponent* flexBass = Component(FlexBass);
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpdif));
    EXPECT_EQ(flexBass->RefCount(), 1);
    EXPECT_EQ(Registration(FlexBass).InstanceCount(), 2u);  // nothing new for S/PDIF
}

}  // namespace
}  // namespace qx::test::gfx
