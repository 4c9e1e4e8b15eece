// Enable changes from another thread take effect by the next period without tearing
// anything.
#include <atomic>
#include <thread>

#include "common/Handles.h"
#include "tests/gfx/GfxHarness.h"

namespace qx::test::gfx {
namespace {

TEST_F(GfxTest, EnableChangesFromAnotherThreadReachTheNextPeriod) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    constexpr uint32_t kFrames = 64;
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, kFrames));
    log_.SetRecordProcess(false);
    std::atomic<uint64_t> current{0}, completed{0};
    std::atomic<uint64_t> lastRun[8] = {};
    std::atomic<int> torn{0};
    for (int slot = 0; slot < 8; ++slot)
        Behaviour(kClasses[slot].name).onProcess = [&, slot](float* const* in, void* const* out, UINT32 frames) {
            if (static_cast<const void*>(in) != static_cast<const void*>(out) || frames != kFrames || !in[7]) ++torn;
            lastRun[slot] = current.load();
        };
    UniqueHandle periodDone(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::atomic<bool> stop{false};
    Run(2, 2, kFrames);
    std::thread audio([&] {
        std::vector<float> out(out_.size());
        for (uint64_t n = 1; !stop; ++n) {
            current = n;
            const HRESULT hr = p_->Process(in_.data(), out.data(), kFrames);
            if (hr != S_OK && hr != 1) ++torn;
            completed = n;
            SetEvent(periodDone.Get());
        }
    });
    int late = 0;
    uint32_t seed = 12345;
    for (int change = 0; change < 1000 && !HasFatalFailure(); ++change) {
        seed = seed * 1103515245u + 12345u;
        const int slot = int((seed >> 16) % 8);
        const uint32_t value = (seed >> 8) & 1;
        Set(EnableKey(slot), value);
        Set(EnableKey(11 + int((seed >> 4) & 1)), (seed >> 3) & 1);                   // swaps too
        Set(Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 6), seed % 25);              // and a parameter
        // Period p0 + 1 may have started before the change; p0 + 2 cannot have.
        const uint64_t p0 = completed.load();
        while (completed.load() < p0 + 2)
            if (WaitForSingleObject(periodDone.Get(), 30000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the audio thread stopped processing periods";
                break;
            }
        if ((lastRun[slot].load() >= p0 + 2) != bool(value)) ++late;
    }
    stop = true;
    audio.join();
    log_.SetRecordProcess(true);
    EXPECT_EQ(late, 0);
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace qx::test::gfx
