#pragma once
// The polyphase layout of one multirate FIR filter over one block, as plain data handed
// to the filter loops. The loops are compiled once per instruction set (portable C++,
// SSE2, AVX2, AVX-512); this header holds no functions, so nothing compiled for a wider
// instruction set can be shared with (and picked by the linker for) baseline code.
#include <cstddef>
#include <cstdint>

// The loops' small helpers must be inlined: a vector passed to a called function would
// go through the stack, which 64-bit Windows keeps aligned to 16 bytes only.
#if defined(_MSC_VER)
#define QX_FIR_INLINE __forceinline
#else
#define QX_FIR_INLINE inline __attribute__((always_inline))
#endif

namespace qx {

// The instruction sets the filter loops are compiled for, from narrowest to widest.
// Every path computes the same sums in the same order, so all give identical output.
enum class FirPath : uint8_t { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };
constexpr int kFirPathCount = 4;

struct FirPlanView {
    static constexpr int kMaxPhases = 3;
    static constexpr int kMaxTaps = 72;
    static constexpr int kMaxHistory = 72;  // input samples before a group, at most

    int up;
    int down;
    float scale;
    int count[kMaxPhases];
    const float* coef[kMaxPhases];
    // For phase r and tap e, the input sample that tap reads for group 0; group g reads
    // taps[r][e][g]. Inputs of one tap are consecutive floats for consecutive groups.
    const float* const* taps[kMaxPhases];
};

// The loops of each instruction set: Run takes `groups` groups to up*groups outputs,
// output L*g + r being phase r of group g; SplitPairs takes an input apart by position
// modulo 2 (even[i] = in[2i], odd[i] = in[2i + 1] for i below count). Built() says
// whether this build holds the loops.
#define QX_FIR_PATH_DECLARATIONS                                          \
    bool Built();                                                         \
    void Run(const FirPlanView& plan, uint32_t groups, float* out);       \
    void SplitPairs(const float* in, uint32_t count, float* even, float* odd);
namespace fir_scalar {
QX_FIR_PATH_DECLARATIONS
}
namespace fir_sse2 {
QX_FIR_PATH_DECLARATIONS
}
namespace fir_avx2 {
QX_FIR_PATH_DECLARATIONS
}
namespace fir_avx512 {
QX_FIR_PATH_DECLARATIONS
}
#undef QX_FIR_PATH_DECLARATIONS

}  // namespace qx
