#pragma once
// What the processor offers beyond the x86-64 baseline, asked once at lock time.

namespace qx {

// True when the processor and the operating system support AVX2.
bool CpuHasAvx2();

// True when the processor and the operating system support the AVX-512 foundation
// instructions.
bool CpuHasAvx512();

}  // namespace qx
