// The audio path under load: no heap allocation per period, and enable changes from
// another thread that take effect by the next period without tearing anything.
#include <atomic>
#include <thread>

#include "tests/gfx/GfxFixture.h"
#include "tests/support/AllocationCounter.h"

namespace qx::test::gfx {
namespace {

TEST_F(GfxTest, ThePeriodPathAllocatesNothing) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    constexpr uint32_t kFrames = 1920;  // 10 ms at 192000
    Lock(192000, 8, 8, 16);
    for (int slot = 0; slot < 8; ++slot) SetEnable(EnableKey(slot), 1);
    SetEnable(EnableKey(11), 1);
    SetEnable(EnableKey(12), 1);
    std::vector<float> in = Ramp(8, kFrames), out(in.size());
    log_.SetRecordProcess(false);
    {
        AllocationCounter counter;
        Lock(192000, 8, 8, kFrames);  // the module's own allocations are counted too
        ASSERT_GT(counter.Count(), 0u);
        counter.Reset();
        for (int period = 0; period < 1000; ++period) {
            gfx_->Process(in.data(), out.data(), kFrames);
            gfx_->ProcessMonitor(out.data(), kFrames);
        }
        EXPECT_EQ(counter.Count(), 0u);
    }
    log_.SetRecordProcess(true);
}

TEST_F(GfxTest, EnableChangesFromAnotherThreadReachTheNextPeriod) {
    ASSERT_EQ(S_OK, InitializeFor(settings::FormFactorSpeakers));
    constexpr uint32_t kFrames = 64;
    Lock(48000, 2, 2, kFrames);
    log_.SetRecordProcess(false);

    std::atomic<uint64_t> current{0}, completed{0};
    std::atomic<uint64_t> lastRun[8];
    std::atomic<int> torn{0};
    for (auto& r : lastRun) r = 0;
    for (int slot = 0; slot < 8; ++slot) {
        Behaviour(slot).onProcess = [&, slot](float* const* in, void* const* out, UINT32 frames) {
            if (static_cast<const void*>(in) != static_cast<const void*>(out) || frames != kFrames || !in[7]) ++torn;
            lastRun[slot] = current.load();
        };
    }

    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in = Ramp(2, kFrames), out(in.size());
        for (uint64_t n = 1; !stop; ++n) {
            current = n;
            const HRESULT hr = gfx_->Process(in.data(), out.data(), kFrames);
            if (hr != S_OK && hr != 1) ++torn;
            completed = n;
        }
    });

    int late = 0;
    uint32_t seed = 12345;
    for (int change = 0; change < 1000; ++change) {
        seed = seed * 1103515245u + 12345u;
        const int slot = int((seed >> 16) % 8);
        const uint32_t value = (seed >> 8) & 1;
        SetEnable(EnableKey(slot), value);
        SetEnable(EnableKey(11 + int((seed >> 4) & 1)), (seed >> 3) & 1);  // swaps too
        PutUInt(fx_.Get(), settings::key::FlexBassLevel, seed % 25);       // and a parameter
        Changed(settings::key::FlexBassLevel);
        // Period p0 + 1 may have started before the change; p0 + 2 cannot have.
        const uint64_t p0 = completed.load();
        while (completed.load() < p0 + 2) std::this_thread::yield();
        const bool ran = lastRun[slot].load() >= p0 + 2;
        if (ran != bool(value)) ++late;
    }
    stop = true;
    audio.join();
    log_.SetRecordProcess(true);
    EXPECT_EQ(late, 0);
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace qx::test::gfx
