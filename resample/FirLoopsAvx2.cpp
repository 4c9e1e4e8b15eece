// The multirate FIR loops for processors with AVX2 (chosen at run time). Built with AVX2
// code generation and without fused multiply-add, so every product and sum is rounded
// exactly as in the baseline loops. Includes nothing with functions of its own.
#include "resample/FirPlanView.h"

namespace qx::fir_avx2 {
constexpr int kChunk = 64;
#include "resample/FirLoops.inl"
}  // namespace qx::fir_avx2
