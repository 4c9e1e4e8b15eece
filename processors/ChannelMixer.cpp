#include "processors/ChannelMixer.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <utility>

#include "common/Status.h"

namespace qx {
namespace {

constexpr uint32_t kMaxChannels = 8;

// Gains. The center/LFE gain of the fold is 0.707 exactly as written, deliberately not
// 1/sqrt(2) (kSqrtHalf), which only the stereo-to-quad spread uses.
constexpr float kCenterFold = 0.707f;
constexpr float kSqrtHalf = 0.70710677f;
constexpr float kFront = 0.5976143f;
constexpr float kCenter = 0.5345225f;
constexpr float kSurround = 0.5005609f;
constexpr float kRear = 0.7079f;
// New channels get a tiny value instead of 0 so that effects fed silence on them never
// run into denormals.
constexpr float kFiller = 1e-12f;

constexpr uint8_t kNone = 0xFF;   // no such operand
constexpr uint8_t kZero = 0xFE;   // the value 0
constexpr uint8_t kFill = 0xFD;   // the filler value

// One output channel of a layout change, per frame, from the values the frame held before
// the change:
//     X[out] = (X[a] + X[b]) * gain + X[add[0]] + X[add[1]] + X[add[2]]
// b, the gain and the additions are optional. The sum is built strictly left to right, so
// each output rounds the same way as its formula reads.
struct Row {
    uint8_t out;
    uint8_t a;
    uint8_t b = kNone;
    float gain = 1.0f;
    uint8_t add[3] = {kNone, kNone, kNone};
};

constexpr Row Copy(uint8_t out, uint8_t from) { return {out, from}; }
constexpr Row Put(uint8_t out, uint8_t value) { return {out, value}; }
constexpr Row Sum(uint8_t out, uint8_t a, uint8_t b) { return {out, a, b}; }
constexpr Row Scale(uint8_t out, uint8_t from, float gain) { return {out, from, kNone, gain}; }
constexpr Row Mix(uint8_t out, uint8_t a, uint8_t b, float gain) { return {out, a, b, gain}; }
// (X2 + X3) * 0.707 followed by the listed channels.
constexpr Row Fold(uint8_t out, uint8_t add0, uint8_t add1 = kNone, uint8_t add2 = kNone) {
    return {out, 2, 3, kCenterFold, {add0, add1, add2}};
}

struct Plan {
    uint32_t from;
    uint32_t to;
    uint32_t rowCount;
    Row rows[kMaxChannels];
};

template <class... Rows>
constexpr Plan MakePlan(uint32_t from, uint32_t to, Rows... rows) {
    return {from, to, sizeof...(rows), {rows...}};
}

// Spreading to more channels in MixDown: the existing channels stay, new ones get the
// filler. A quad source first moves its rear pair to the surround positions 4 and 5
// (even when the target has only 5 channels).
constexpr Plan Pad(uint32_t from, uint32_t to) {
    Plan plan{from, to, 0, {}};
    uint32_t firstNew = from;
    if (from == 4) {
        plan.rows[plan.rowCount++] = Copy(4, 2);
        plan.rows[plan.rowCount++] = Copy(5, 3);
        plan.rows[plan.rowCount++] = Put(2, kFill);
        plan.rows[plan.rowCount++] = Put(3, kFill);
        firstNew = 6;
    }
    for (uint32_t n = firstNew; n < to; ++n) plan.rows[plan.rowCount++] = Put(uint8_t(n), kFill);
    return plan;
}

constexpr Plan kMixDownPlans[] = {
    MakePlan(4, 2, Sum(0, 0, 2), Sum(1, 1, 3)),
    MakePlan(6, 2, Fold(0, 4, 0), Fold(1, 5, 1)),
    MakePlan(6, 4, Fold(0, 0), Fold(1, 1), Copy(2, 4), Copy(3, 5)),
    MakePlan(8, 2, Fold(0, 4, 6, 0), Fold(1, 5, 7, 1)),
    MakePlan(8, 4, Fold(0, 0), Fold(1, 1), Sum(2, 4, 6), Sum(3, 5, 7)),
    MakePlan(8, 6, Sum(4, 4, 6), Sum(5, 5, 7)),
    Pad(2, 3), Pad(2, 4), Pad(2, 5), Pad(2, 6), Pad(2, 7), Pad(2, 8),
    Pad(4, 5), Pad(4, 6), Pad(4, 7), Pad(4, 8),
    Pad(6, 7), Pad(6, 8),
};

// The second surround pair of an 8-channel target is a copy of the first.
constexpr Plan kMixUpPlans[] = {
    MakePlan(2, 4, Scale(0, 0, kSqrtHalf), Scale(1, 1, kSqrtHalf), Scale(2, 0, kSqrtHalf),
             Scale(3, 1, kSqrtHalf)),
    // Channel 3 (low frequency) keeps whatever it held.
    MakePlan(2, 6, Scale(0, 0, kFront), Scale(1, 1, kFront), Mix(2, 1, 0, kCenter), Scale(4, 0, kSqrtHalf),
             Scale(5, 1, kSqrtHalf)),
    MakePlan(2, 8, Scale(0, 0, kFront), Scale(1, 1, kFront), Mix(2, 0, 1, kCenter), Scale(4, 0, kSurround),
             Scale(5, 1, kSurround), Scale(6, 0, kSurround), Scale(7, 1, kSurround)),
    MakePlan(4, 6, Mix(2, 1, 0, kCenter), Put(3, kZero), Copy(4, 2), Copy(5, 3)),
    MakePlan(4, 8, Mix(2, 0, 1, kCenter), Put(3, kZero), Scale(4, 2, kRear), Scale(5, 3, kRear),
             Scale(6, 2, kRear), Scale(7, 3, kRear)),
    MakePlan(6, 8, Scale(4, 4, kRear), Scale(5, 5, kRear), Scale(6, 4, kRear), Scale(7, 5, kRear)),
};

constexpr bool IsChannel(uint8_t operand) { return operand < kMaxChannels; }

// Channels a plan reads, as a bit mask.
constexpr uint32_t InputsOf(const Plan& plan) {
    uint32_t mask = 0;
    for (uint32_t r = 0; r < plan.rowCount; ++r) {
        const Row& row = plan.rows[r];
        for (uint8_t operand : {row.a, row.b, row.add[0], row.add[1], row.add[2]})
            if (IsChannel(operand)) mask |= 1u << operand;
    }
    return mask;
}

// Frames are mixed in blocks of kBlock whose inputs are first copied aside: every output
// is computed from the values before the change even when a row overwrites a channel that
// later rows read, and the arithmetic reads memory that cannot alias what it writes, so
// the compiler vectorises it.
constexpr uint32_t kBlock = 32;
using Block = float[kMaxChannels][kBlock];

// The row is a compile-time constant: every test below disappears from the loop.
template <const Plan* Plans, size_t P, size_t R>
inline float Evaluate(const Block& in, uint32_t i) {
    constexpr Row row = Plans[P].rows[R];
    float v;
    if constexpr (row.a == kZero)
        v = 0.0f;
    else if constexpr (row.a == kFill)
        v = kFiller;
    else
        v = in[row.a][i];
    if constexpr (row.b != kNone) v = v + in[row.b][i];
    if constexpr (row.gain != 1.0f) v = v * row.gain;
    if constexpr (row.add[0] != kNone) v = v + in[row.add[0]][i];
    if constexpr (row.add[1] != kNone) v = v + in[row.add[1]][i];
    if constexpr (row.add[2] != kNone) v = v + in[row.add[2]][i];
    return v;
}

template <const Plan* Plans, size_t P, size_t R>
inline void WriteRow(float* dst, uint32_t count, const Block& in) {
    for (uint32_t i = 0; i < count; ++i) dst[i] = Evaluate<Plans, P, R>(in, i);
}

inline void CopyBlock(float* to, const float* from, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) to[i] = from[i];
}

// Copies the block of every channel in the mask (the choice is made at compile time).
template <uint32_t Mask, uint32_t... K>
inline void CopyInputs(Block& in, float* const* x, uint32_t first, uint32_t count,
                       std::integer_sequence<uint32_t, K...>) {
    ((Mask & (1u << K) ? CopyBlock(in[K], x[K] + first, count) : void()), ...);
}

template <const Plan* Plans, size_t P, size_t... R>
inline void MixBlock(float* const* x, uint32_t first, uint32_t count) {
    Block in;
    CopyInputs<InputsOf(Plans[P])>(in, x, first, count, std::make_integer_sequence<uint32_t, kMaxChannels>());
    (WriteRow<Plans, P, R>(x[Plans[P].rows[R].out] + first, count, in), ...);
}

template <const Plan* Plans, size_t P, size_t... R>
void RunRows(float* const* channels, uint32_t frames, std::index_sequence<R...>) {
    float* x[kMaxChannels];
    for (uint32_t k = 0; k < kMaxChannels; ++k) x[k] = channels[k];
    uint32_t first = 0;
    for (; frames - first >= kBlock; first += kBlock) MixBlock<Plans, P, R...>(x, first, kBlock);
    if (first < frames) MixBlock<Plans, P, R...>(x, first, frames - first);
}

using PlanRunner = void (*)(float* const*, uint32_t);

template <const Plan* Plans, size_t P>
void RunPlan(float* const* channels, uint32_t frames) {
    RunRows<Plans, P>(channels, frames, std::make_index_sequence<Plans[P].rowCount>());
}

template <const Plan* Plans, size_t... P>
constexpr std::array<PlanRunner, sizeof...(P)> MakeRunners(std::index_sequence<P...>) {
    return {&RunPlan<Plans, P>...};
}

template <const Plan* Plans, size_t Count>
struct PlanSet {
    static constexpr std::array<PlanRunner, Count> runners = MakeRunners<Plans>(std::make_index_sequence<Count>());

    static PlanRunner Find(uint32_t from, uint32_t to) {
        for (size_t p = 0; p < Count; ++p)
            if (Plans[p].from == from && Plans[p].to == to) return runners[p];
        return nullptr;
    }
};

using MixDownSet = PlanSet<kMixDownPlans, std::size(kMixDownPlans)>;
using MixUpSet = PlanSet<kMixUpPlans, std::size(kMixUpPlans)>;

}  // namespace

void MixDown(float* const* channels, uint32_t from, uint32_t to, uint32_t frames) {
    if (channels == nullptr || from == to || frames == 0) return;
    if (const PlanRunner run = MixDownSet::Find(from, to)) run(channels, frames);
}

int32_t MixUp(float* const* channels, uint32_t from, uint32_t to, uint32_t frames) {
    if (from >= to) return status::kFalse;
    const PlanRunner run = MixUpSet::Find(from, to);
    if (run == nullptr || channels == nullptr) return status::kInvalidArg;
    run(channels, frames);
    return 0;
}

}  // namespace qx
