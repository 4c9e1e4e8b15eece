#pragma once
// The conversion-stage kinds, the rule that maps a rate or block size through each kind,
// and the table of supported rate pairs with the chain of kinds for each.
#include <cstddef>
#include <cstdint>

namespace qx {

enum class StageKind : uint8_t {
    None = 0,
    Up2 = 1,           // multirate FIR, half-band, L=2 M=1, output times 2
    Down2 = 2,         // multirate FIR, half-band, L=1 M=2
    Up3Down2 = 3,      // multirate FIR, third-band x3, L=3 M=2
    Up2Down3 = 4,      // multirate FIR, third-band x3, L=2 M=3, output times 2/3
    Up160Down147 = 5,  // polyphase, 160 phases of 20 taps
    Up147Down160 = 6,  // polyphase, 147 phases of 24 taps
    Down3 = 7,         // direct decimator, third-band
    Up3 = 8,           // direct interpolator, third-band, output times 3
};

constexpr size_t kMaxStages = 3;

// Rate or block size after one stage of `kind`. The 160/147 rules take the product in
// 64 bits so that very large blocks cannot wrap to a small size.
constexpr uint32_t NextSize(StageKind kind, uint32_t n) {
    switch (kind) {
        case StageKind::Up2: return 2 * n;
        case StageKind::Down2: return n >> 1;
        case StageKind::Up3Down2: return (3 * n) >> 1;
        case StageKind::Up2Down3: return (2 * n) / 3;
        case StageKind::Up160Down147: return static_cast<uint32_t>(48000ull * n / 44100);
        case StageKind::Up147Down160: return static_cast<uint32_t>(44100ull * n / 48000);
        case StageKind::Down3: return n / 3;
        case StageKind::Up3: return 3 * n;
        case StageKind::None: break;
    }
    return n;
}

// The operation that takes rate r to rate s, tested in a fixed order; None when no
// stage converts r to s (or the rates are equal).
constexpr StageKind KindForRates(uint32_t r, uint32_t s) {
    const uint64_t r64 = r;
    if (r == s) return StageKind::None;
    if (s == 2 * r64) return StageKind::Up2;
    if (s == (r >> 1)) return StageKind::Down2;
    if (s == (3 * r64) >> 1) return StageKind::Up3Down2;
    if (s == (2 * r64) / 3) return StageKind::Up2Down3;
    if (s == r / 3) return StageKind::Down3;
    if (s == 3 * r64) return StageKind::Up3;
    if (s == 48000 * r64 / 44100) return StageKind::Up160Down147;
    if (s == 44100 * r64 / 48000) return StageKind::Up147Down160;
    return StageKind::None;
}

struct RatePlan {
    uint32_t inputRate;
    uint32_t outputRate;
    StageKind kinds[kMaxStages];
};

namespace plan_detail {
constexpr StageKind U2 = StageKind::Up2, D2 = StageKind::Down2, U2D3 = StageKind::Up2Down3,
                    U160 = StageKind::Up160Down147, U147 = StageKind::Up147Down160, D3 = StageKind::Down3,
                    U3 = StageKind::Up3;
}  // namespace plan_detail

// Every supported pair; any other pair (32000 among the rates) gets no stage.
inline constexpr RatePlan kRatePlans[] = {
    {8000, 44100, {plan_detail::U2, plan_detail::U3, plan_detail::U147}},
    {8000, 48000, {plan_detail::U2, plan_detail::U3}},
    {8000, 16000, {plan_detail::U2}},
    {11025, 44100, {plan_detail::U2, plan_detail::U2}},
    {11025, 48000, {plan_detail::U2, plan_detail::U2, plan_detail::U160}},
    {14700, 44100, {plan_detail::U3}},
    {14700, 48000, {plan_detail::U3, plan_detail::U160}},
    {16000, 44100, {plan_detail::U3, plan_detail::U147}},
    {16000, 48000, {plan_detail::U3}},
    {22050, 44100, {plan_detail::U2}},
    {22050, 48000, {plan_detail::U2, plan_detail::U160}},
    {22050, 14700, {plan_detail::U2D3}},
    {24000, 44100, {plan_detail::U2, plan_detail::U147}},
    {24000, 48000, {plan_detail::U2}},
    {24000, 16000, {plan_detail::U2D3}},
    {44100, 48000, {plan_detail::U160}},
    {44100, 14700, {plan_detail::D3}},
    {48000, 44100, {plan_detail::U147}},
    {48000, 16000, {plan_detail::D3}},
    {88200, 44100, {plan_detail::D2}},
    {88200, 48000, {plan_detail::D2, plan_detail::U160}},
    {88200, 14700, {plan_detail::D2, plan_detail::D3}},
    {96000, 44100, {plan_detail::D2, plan_detail::U147}},
    {96000, 48000, {plan_detail::D2}},
    {96000, 16000, {plan_detail::D2, plan_detail::D3}},
    {176400, 44100, {plan_detail::D2, plan_detail::D2}},
    {176400, 48000, {plan_detail::D2, plan_detail::D2, plan_detail::U160}},
    {176400, 14700, {plan_detail::D2, plan_detail::D2, plan_detail::D3}},
    {192000, 44100, {plan_detail::D2, plan_detail::D2, plan_detail::U147}},
    {192000, 48000, {plan_detail::D2, plan_detail::D2}},
    {192000, 16000, {plan_detail::D2, plan_detail::D2, plan_detail::D3}},
};

constexpr const RatePlan* FindRatePlan(uint32_t inputRate, uint32_t outputRate) {
    for (const RatePlan& p : kRatePlans)
        if (p.inputRate == inputRate && p.outputRate == outputRate) return &p;
    return nullptr;
}

}  // namespace qx
