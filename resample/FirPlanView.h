#pragma once
// The polyphase layout of one multirate FIR filter as plain data, handed to the filter
// loops. The loops are compiled once for the baseline instruction set and once for AVX2;
// this header holds no functions, so nothing compiled for AVX2 can be shared with (and
// picked by the linker for) baseline code.
#include <cstdint>

namespace qx {

struct FirPlanView {
    static constexpr int kMaxPhases = 3;
    static constexpr int kMaxHistory = 72;  // input samples before a group, at most

    int up;
    int down;
    float scale;
    int subHistory;  // per deinterleaved lane, samples before the group
    int count[kMaxPhases];
    const float* coef[kMaxPhases];
    const int16_t* offset[kMaxPhases];  // linear input offset from M*g
    const int8_t* sub[kMaxPhases];      // offset mod M
    const int16_t* index[kMaxPhases];   // offset div M
};

// The loops of each instruction set: `groups` groups of `down` inputs from x (with the
// filter's history before x[0]) to up*groups outputs.
namespace fir_baseline {
void Run(const FirPlanView& plan, const float* x, uint32_t groups, float* out);
}
namespace fir_avx2 {
void Run(const FirPlanView& plan, const float* x, uint32_t groups, float* out);
}

}  // namespace qx
