#include "resample/CpuFeatures.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace qx {

namespace {

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
// Whether leaf 7 reports `bit` in EBX and the operating system saves the register state
// `xcr0Mask` (from XCR0) on a thread switch.
bool HasLeaf7Feature(int bit, unsigned long long xcr0Mask) {
    int regs[4] = {};
    __cpuid(regs, 0);
    if (regs[0] < 7) return false;
    __cpuid(regs, 1);
    const bool osSavesState = (regs[2] & (1 << 27)) != 0;  // OSXSAVE
    const bool avx = (regs[2] & (1 << 28)) != 0;
    if (!osSavesState || !avx || (_xgetbv(0) & xcr0Mask) != xcr0Mask) return false;
    __cpuidex(regs, 7, 0);
    return (regs[1] & (1 << bit)) != 0;
}
#endif

}  // namespace

bool CpuHasAvx2() {
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    return HasLeaf7Feature(5, 0x6);  // XMM and YMM state
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

bool CpuHasAvx512() {
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    return HasLeaf7Feature(16, 0xE6);  // XMM, YMM, opmask and both ZMM halves
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0;
#else
    return false;
#endif
}

}  // namespace qx
