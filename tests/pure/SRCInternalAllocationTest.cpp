#include <gtest/gtest.h>

#include <vector>

#include "resample/SRCInternal.h"
#include "tests/support/AllocationCounter.h"

using qx::SRCInternal;
using qx::test::AllocationCounter;

// Init makes every buffer; converting blocks of any size, in both directions and on
// every channel, then allocates nothing.
TEST(SRCInternalAllocation, ProcessAllocatesNothing) {
    const uint32_t pairs[][3] = {{8000, 44100, 80},   {11025, 48000, 441}, {22050, 14700, 441},
                                 {96000, 16000, 960}, {192000, 44100, 1920}, {44100, 48000, 441}};
    for (const auto& p : pairs) {
        SRCInternal src;
        uint32_t out = 0;
        src.Init(p[0], p[1], p[2], &out, 8);
        std::vector<float> buf(8 * (p[2] + out), 0.25f);
        AllocationCounter counter;
        for (uint32_t ch = 0; ch < 8; ++ch) {
            src.Process(buf.data(), ch, p[2], SRCInternal::Forward);
            src.Process(buf.data(), ch, out, SRCInternal::Reverse);
            src.Process(buf.data(), ch, p[2] / 2, SRCInternal::Forward);
        }
        EXPECT_EQ(counter.Count(), 0u) << p[0] << "->" << p[1];
    }
    // The counter does see allocations.
    AllocationCounter counter;
    SRCInternal src;
    src.Init(44100, 48000, 441, nullptr, 2);
    EXPECT_GT(counter.Count(), 0u);
}
