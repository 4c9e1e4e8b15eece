// One period through the render local effects: which components run, in which layout
// they see the stream and what reaches the output, mixes computed here by hand.
#include <algorithm>
#include <array>
#include <cwchar>

#include "tests/lfx/LfxHarness.h"

namespace qx::test::lfx {
namespace {

// Gains of the host's own mixers, and the filler of padded channels.
constexpr float kF = 0.5976143f, kC = 0.5345225f, kS = 0.5005609f, kH = 0.70710677f, kG = 0.707f, kE = 1e-12f;
// Frame 0 of the ramp input, channel by channel.
constexpr float x0 = 0.001f, x1 = 0.101f, x2 = 0.201f, x3 = 0.301f, x4 = 0.401f, x5 = 0.501f, x6 = 0.601f,
                x7 = 0.701f;
// The up-mixers write these into the eight buffers; the others pass the period through.
const std::array<float, 8> kProLogicOut = {1, 2, 3, 4, 5, 6, 7, 8}, kNeoOut = {11, 12, 13, 14, 15, 16, 17, 18};

struct PeriodRow {
    const char* what;
    uint32_t in, out;
    std::vector<int> enabled;
    Names order;
    HRESULT status;              // each component returns a status of its own
    std::vector<float> frame0;   // empty: nothing written
    const wchar_t* watched = nullptr;
    std::vector<float> seen;     // frame 0 of the eight buffers when `watched` ran
};
constexpr HRESULT kStatus[7] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16};
const PeriodRow kPeriods[] = {
    {"nothing applicable", 2, 2, {}, {}, 1, {}},
    {"virtualiser on 7.1, Neo:PC on 5.1 input", 6, 8, {Nuvex, Neo}, {}, 1, {}},
    {"Pro Logic spreads stereo over 5.1", 2, 6, {ProLogic}, {L"ProLogic"}, kStatus[ProLogic], {1, 2, 3, 4, 5, 6}},
    {"Pro Logic over 7.1", 2, 8, {ProLogic}, {L"ProLogic"}, kStatus[ProLogic], {1, 2, 3, 4, 5, 6, 7, 8}},
    {"quad is padded to 5.1 for Pro Logic on 7.1", 4, 8, {ProLogic}, {L"ProLogic"}, kStatus[ProLogic],
     {1, 2, 3, 4, 5, 6, 7, 8}, L"ProLogic", {x0, x1, kE, kE, x2, x3, 0, 0}},
    {"quad on 5.1 is only padded", 4, 6, {ProLogic}, {}, 1, {x0, x1, kE, kE, x2, x3}},
    {"nothing to up-mix in 7.1", 8, 8, {ProLogic}, {}, 1, {x0, x1, x2, x3, x4, x5, x6, x7}},
    {"Neo:PC spreads stereo", 2, 8, {Neo}, {L"Neo"}, kStatus[Neo], {11, 12, 13, 14, 15, 16, 17, 18}},
    {"Nuvex Surround Max steps back for an up-mixer", 2, 8, {Neo, NuvexMax}, {L"Neo"}, kStatus[Neo],
     {11, 12, 13, 14, 15, 16, 17, 18}},
    {"Nuvex Surround Max up-mixes stereo itself", 2, 6, {NuvexMax}, {}, S_OK,
     {x0 * kF, x1 * kF, (x1 + x0) * kC, 0, x0 * kH, x1 * kH}},
    {"stereo padded for Voice Clarity and folded back", 2, 2, {Clarity, Shifter}, {L"Clarity", L"Shifter"},
     kStatus[Shifter], {x0, x1}, L"Clarity", {x0, x1, kE, kE, kE, kE, 0, 0}},
    {"stereo padded, not up-mixed, for the Speaker Shifter", 2, 2, {Shifter}, {L"Shifter"}, kStatus[Shifter],
     {x0, x1}, L"Shifter", {x0, x1, kE, kE, kE, kE, kE, kE}},
    {"the Speaker Shifter gets Nuvex Surround Max's up-mix", 2, 2, {Shifter, NuvexMax}, {L"Shifter"},
     kStatus[Shifter], {x0 * kF + (x0 + x1) * kC * kG + x0 * kS * 2, x1 * kF + (x0 + x1) * kC * kG + x1 * kS * 2},
     L"Shifter", {x0 * kF, x1 * kF, (x0 + x1) * kC, 0, x0 * kS, x1 * kS, x0 * kS, x1 * kS}},
    {"Dolby Surround behind its Pro Logic up-mixer", 2, 2, {Dolby}, {L"ProLogic", L"Dolby"}, kStatus[Dolby], {1, 2}},
    {"7.1 folded to 5.1 for Dolby Surround, which wins over Nuvex", 8, 2, {Dolby, Nuvex}, {L"Dolby"},
     kStatus[Dolby], {x0, x1}, L"Dolby", {x0, x1, x2, x3, x4 + x6, x5 + x7, x6, x7}},
    {"Surround Sensation behind Neo:PC", 2, 2, {Sensation}, {L"Neo", L"Sensation"}, kStatus[Sensation], {11, 12}},
    {"Nuvex Surround on plain stereo", 2, 2, {Nuvex}, {L"Nuvex"}, kStatus[Nuvex], {x0, x1}, L"Nuvex",
     {x0, x1, 0, 0, 0, 0, 0, 0}},
    {"Nuvex Surround behind Nuvex Surround Max", 2, 2, {Nuvex, NuvexMax}, {L"Nuvex"}, kStatus[Nuvex],
     {x0 * kF, x1 * kF}, L"Nuvex", {x0 * kF, x1 * kF, (x1 + x0) * kC, 0, x0 * kH, x1 * kH, 0, 0}},
    {"quad padded to 5.1 for Nuvex Surround", 4, 2, {Nuvex}, {L"Nuvex"}, kStatus[Nuvex], {x0, x1}, L"Nuvex",
     {x0, x1, kE, kE, x2, x3, 0, 0}},
    {"5.1 folded to stereo on the way out", 6, 2, {Clarity}, {L"Clarity"}, kStatus[Clarity],
     {(x2 + x3) * kG + x4 + x0, (x2 + x3) * kG + x5 + x1}},
};

TEST_F(LfxTest, APeriodRunsTheEffectsOfItsLayout) {
    std::array<float, 8> seen{};
    const wchar_t* watched = nullptr;
    for (int slot = Nuvex; slot <= Clarity; ++slot) {
        Behaviour(kClasses[slot].name).processResult = kStatus[slot];
        Behaviour(kClasses[slot].name).onProcess = [&, slot](float* const* in, void* const*, UINT32 frames) {
            if (watched && !wcscmp(watched, kClasses[slot].name))
                for (int c = 0; c < 8; ++c) seen[c] = in[c][0];
            for (int c = 0; slot == ProLogic && c < 8; ++c) std::fill(in[c], in[c] + frames, kProLogicOut[c]);
            for (int c = 0; slot == Neo && c < 8; ++c) std::fill(in[c], in[c] + frames, kNeoOut[c]);
        };
    }
    for (const PeriodRow& row : kPeriods) {
        SCOPED_TRACE(row.what);
        watched = row.watched;
        Enable({});
        for (int flag : row.enabled) Put(U(EnableKey(flag), 1));
        ASSERT_EQ(S_OK, Lock(48000, row.in, row.out, 16));
        log_.Clear();
        EXPECT_EQ(row.status, Run(row.in, row.out, 16));
        EXPECT_EQ(log_.ProcessOrder(), row.order);
        for (uint32_t c = 0; c < row.out; ++c)
            EXPECT_FLOAT_EQ(out_[c], row.frame0.empty() ? kUntouched : row.frame0[c]) << "channel " << c;
        for (size_t c = 0; row.watched && c < 8; ++c) EXPECT_FLOAT_EQ(seen[c], row.seen[c]) << "buffer " << c;
        EXPECT_EQ(PeriodAllocations(16), 0u);  // the same period again
    }
}

TEST_F(LfxTest, DolbySurroundWithoutItsUpMixerLeavesStereoAlone) {
    Drop(L"ProLogic");
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Enable({Dolby});
    ASSERT_EQ(S_OK, Lock(48000, 2, 2, 16));
    log_.Clear();
    EXPECT_EQ(1, Run(2, 2, 16));
    EXPECT_EQ(log_.ProcessOrder(), Names{});
    EXPECT_EQ(out_[1], x1);
}

// 22050 runs at 44100: the components get 128 frames for 64, and every output channel
// comes back to the stream rate (a constant survives the round trip at its level).
TEST_F(LfxTest, ConvertedStreamsGoBackOverEveryOutputChannel) {
    Enable({ProLogic});
    std::vector<UINT32> framesSeen;
    Behaviour(L"ProLogic").onProcess = [&](float* const* in, void* const*, UINT32 frames) {
        framesSeen.push_back(frames);
        for (int c = 0; c < 6; ++c) std::fill(in[c], in[c] + frames, 0.1f * float(c + 1));
    };
    ASSERT_EQ(S_OK, Lock(22050, 2, 6, 64));
    for (int period = 0; period < 8; ++period) Run(2, 6, 64);
    EXPECT_EQ(framesSeen, std::vector<UINT32>(8, 128));
    for (uint32_t c = 0; c < 6; ++c) EXPECT_NEAR(out_[32 * 6 + c], 0.1f * float(c + 1), 0.002f) << c;
}

}  // namespace
}  // namespace qx::test::lfx
