#pragma once
// The rate the effects of a processor run at for a stream rate. Pure C++.
#include <cstdint>

namespace qx {

// 44100 and 48000 run as they are; other rates of the 11025 family (not a multiple of
// 1000) run at 44100, all others at 48000.
constexpr uint32_t InternalRateFor(uint32_t rate) {
    if (rate == 44100 || rate == 48000) return rate;
    return rate % 1000 != 0 ? 44100 : 48000;
}

}  // namespace qx
