// Process of the capture processor: when it works, the order of the chain, the planar
// split and write-back, the audio path's allocations and bad arguments.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "settings/PropertyStoreAccess.h"
#include "tests/mic/MicFixture.h"
#include "tests/support/AllocationCounter.h"

namespace qx::test {
namespace {

namespace key = settings::key;

class MicProcess : public MicTest {
protected:
    void SetUp() override {
        MicTest::SetUp();
        ASSERT_EQ(S_OK, InitializeAs(settings::FormFactorMicrophone));
    }
};

TEST_F(MicProcess, NothingToDoReturnsOneAndLeavesTheOutputAlone) {
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    std::vector<float> out;
    EXPECT_EQ(1, RunPeriod(2, 2, 480, &out));
    EXPECT_EQ(std::vector<float>(960, -7.0f), out);

    // ENC works only on a two-channel input.
    ASSERT_EQ(S_OK, Change(key::EncEnable, 1));
    ASSERT_EQ(S_OK, Lock(48000, 1, 1, 480));
    EXPECT_EQ(1, RunPeriod(1, 1, 480, &out));
    EXPECT_EQ(std::vector<float>(480, -7.0f), out);
    EXPECT_TRUE(log_.Calls(ComponentCall::Process).empty());

    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    EXPECT_EQ((std::vector<std::wstring>{L"enc"}), ChainOfOnePeriod(2, 2, 480));

    // An effect whose component is missing does not count either.
    ASSERT_EQ(S_OK, Change(key::EncEnable, 0));
    ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    Unregister();
    InitializeAs(settings::FormFactorMicrophone);
    EXPECT_EQ(1, RunPeriod(2, 2, 480));
}

TEST_F(MicProcess, ChainRunsInFixedOrderAndReturnsTheLastStatus) {
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    // Flags that exclude each other at refresh can all be on after a lock.
    for (const auto& k : {key::EncEnable, key::NoiseReductionEnable, key::MagicVoiceEnable, key::MixOutputEnable})
        PutUInt(fx_.Get(), k, 1);
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    Reg(Noise).Behaviour().processResult = E_FAIL;  // does not stop the chain
    Reg(Mix).Behaviour().processResult = HRESULT(0x00000002);

    log_.Clear();
    EXPECT_EQ(2, RunPeriod(2, 2, 300));
    const auto calls = log_.Calls(ComponentCall::Process);
    ASSERT_EQ(4u, calls.size());
    const wchar_t* order[] = {L"enc", L"noise", L"voice", L"mix"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(order[i], calls[i].component);
        EXPECT_EQ(300u, calls[i].frames);
        ASSERT_NE(nullptr, calls[i].inTable);
        EXPECT_EQ(static_cast<const void*>(calls[i].inTable), static_cast<const void*>(calls[i].outTable));
        for (int c = 0; c < 8; ++c) {
            ASSERT_NE(nullptr, calls[i].inTable[c]);
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(calls[i].inTable[c]) % 16);
        }
    }

    // With a mono input ENC's flag still runs ENC once the period is worked on.
    ASSERT_EQ(S_OK, Lock(48000, 1, 1, 480));
    EXPECT_EQ((std::vector<std::wstring>{L"enc", L"noise", L"voice", L"mix"}), ChainOfOnePeriod(1, 1, 480));
}

TEST_F(MicProcess, SplitsRunsInPlaceAndWritesBack) {
    ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    // The component doubles channel 0 and writes a constant into channel 1.
    Reg(Mix).Behaviour().onProcess = [](float* const* in, void* const*, UINT32 frames) {
        for (UINT32 i = 0; i < frames; ++i) in[0][i] *= 2.0f, in[1][i] = 0.25f;
    };
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 64));
    std::vector<float> out;
    EXPECT_EQ(S_OK, RunPeriod(2, 2, 64, &out));
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_FLOAT_EQ(float(2 * i) * 0.002f, out[2 * i]);
        EXPECT_FLOAT_EQ(0.25f, out[2 * i + 1]);
    }

    // One channel in, two out: the second output channel is what the buffer holds.
    ASSERT_EQ(S_OK, Lock(48000, 1, 2, 64));
    EXPECT_EQ(S_OK, RunPeriod(1, 2, 50, &out));
    ASSERT_EQ(100u, out.size());
    for (size_t i = 0; i < 50; ++i) {
        EXPECT_FLOAT_EQ(float(i) * 0.002f, out[2 * i]);
        EXPECT_FLOAT_EQ(0.25f, out[2 * i + 1]);
    }
}

TEST_F(MicProcess, BadArgumentsFailWithoutTouchingAnything) {
    ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    std::vector<float> in(960), out(960);
    // Never locked.
    EXPECT_EQ(E_UNEXPECTED, processor_->Process(in.data(), out.data(), 480));
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 480));
    log_.Clear();
    EXPECT_EQ(E_POINTER, processor_->Process(nullptr, out.data(), 480));
    EXPECT_EQ(E_POINTER, processor_->Process(in.data(), nullptr, 480));
    EXPECT_EQ(E_INVALIDARG, processor_->Process(in.data(), out.data(), 481));
    EXPECT_TRUE(log_.Calls().empty());
    // Zero and odd frame counts are ordinary periods.
    EXPECT_EQ(S_OK, processor_->Process(in.data(), out.data(), 0));
    EXPECT_EQ(S_OK, processor_->Process(in.data(), out.data(), 479));

    // The operations this class does not offer.
    EXPECT_EQ(E_NOTIMPL, processor_->IsEncodedFormatSupported(1));
    EXPECT_EQ(E_NOTIMPL, processor_->ProcessMonitor(in.data(), 480));
    EXPECT_EQ(1, processor_->HostedProcess(0, nullptr, 0, nullptr));
    EXPECT_EQ(S_OK, processor_->HostedInitialize(0, nullptr));
}

TEST_F(MicProcess, A32000StreamRunsUnconvertedWithA48000Format) {
    ASSERT_EQ(S_OK, Change(key::MixOutputEnable, 1));
    ASSERT_EQ(S_OK, Lock(32000, 2, 2, 320));
    const ComponentCall init = log_.CallsOf(L"mix")[0];
    EXPECT_EQ(48000u, init.in.nSamplesPerSec);
    EXPECT_EQ(320u, init.maxFrames);

    std::vector<float> out;
    log_.Clear();
    EXPECT_EQ(S_OK, RunPeriod(2, 2, 320, &out));
    EXPECT_EQ(320u, log_.Calls(ComponentCall::Process)[0].frames);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_FLOAT_EQ(float(i) * 0.001f, out[i]);
}

// Periods through every component, with and without conversion, allocate nothing.
TEST_F(MicProcess, ProcessAllocatesNothing) {
    for (const auto& k : {key::EncEnable, key::BeamFormingEnable, key::MicEchoEnable, key::MixOutputEnable})
        PutUInt(fx_.Get(), k, 1);
    log_.SetRecordProcess(false);
    std::vector<float> in(2 * 480, 0.5f), out(2 * 480);
    for (uint32_t rate : {48000u, 16000u, 22050u}) {
        ASSERT_EQ(S_OK, Lock(rate, 2, 2, 480));
        AllocationCounter counter;  // from the first period on, on every thread
        for (int period = 0; period < 50; ++period)
            ASSERT_EQ(S_OK, processor_->Process(in.data(), out.data(), 480 - period % 3));
        EXPECT_EQ(0u, counter.Count()) << rate;
    }
}

// Settings change on another thread while periods run.
TEST_F(MicProcess, RefreshDuringProcess) {
    ASSERT_EQ(S_OK, Lock(16000, 2, 2, 160));
    log_.SetRecordProcess(false);
    std::atomic<bool> stop{false};
    ComPtr<IPropertyStore> fx = fx_;
    ComPtr<IQXEffectProcessor> processor = processor_;
    std::thread refresher([&] {
        const settings::KeyId keys[] = {key::EncEnable,        key::NoiseReductionEnable, key::BeamFormingEnable,
                                        key::AecEnable,        key::MagicVoiceEnable,     key::MicEchoEnable,
                                        key::MixOutputEnable,  key::ZurAecEnable,         key::MagicVoiceType};
        for (uint32_t round = 0; !stop; ++round) {
            const settings::KeyId& k = keys[round % 9];
            PutUInt(fx.Get(), k, (round / 9) % 2);
            ReportChange(processor.Get(), fx.Get(), k);
        }
    });
    std::vector<float> in(2 * 160, 0.25f), out(2 * 160);
    for (int period = 0; period < 3000; ++period) {
        const HRESULT hr = processor_->Process(in.data(), out.data(), 160);
        ASSERT_TRUE(hr == S_OK || hr == S_FALSE) << hr;
    }
    stop = true;
    refresher.join();
}

}  // namespace
}  // namespace qx::test
