#pragma once
// In-place channel layout changes on the planar working set (eight channel pointers).
// Pure C++.
#include <cstdint>

namespace qx {

// Folds 4, 6 or 8 channels into fewer, or pads when from is below to.
void MixDown(float* const* channels, uint32_t from, uint32_t to, uint32_t frames);

// Spreads 2, 4 or 6 channels over more. Returns 0 on success, 1 when from is not below
// to (nothing done), 0x80070057 (E_INVALIDARG) for an unknown pair.
int32_t MixUp(float* const* channels, uint32_t from, uint32_t to, uint32_t frames);

}  // namespace qx
