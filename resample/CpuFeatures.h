#pragma once
// What the processor offers beyond the x86-64 baseline, asked once at lock time.

namespace qx {

// True when the processor and the operating system support AVX2.
bool CpuHasAvx2();

}  // namespace qx
