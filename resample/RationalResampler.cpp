#include "resample/RationalResampler.h"

namespace qx {

uint64_t RationalResampler::OutputCount(uint32_t n, uint32_t phase) const {
    const uint64_t end = static_cast<uint64_t>(phases_) * n;
    if (end <= phase) return 0;
    return (end - phase + step_ - 1) / step_;
}

uint32_t RationalResampler::Run(const float* x, uint32_t n, uint32_t& phase, float* out, uint32_t maxOut) const {
    const uint64_t count = OutputCount(n, phase);
    const uint32_t written = count < maxOut ? static_cast<uint32_t>(count) : maxOut;
    uint32_t i = 0;
    uint32_t p = phase;
    for (uint32_t o = 0; o < written; ++o) {
        const float* row = table_ + static_cast<size_t>(p) * stride_;
        const float* in = x + i;
        float acc = 0.0f;
        for (uint32_t t = 0; t < taps_; ++t) acc += row[t] * in[-static_cast<intptr_t>(t)];
        out[o] = acc;
        p += step_;
        while (p >= phases_) {
            p -= phases_;
            ++i;
        }
    }
    phase = static_cast<uint32_t>((phase + count * step_) % phases_);
    return written;
}

}  // namespace qx
