#pragma once
// A fixed-ratio polyphase resampler driven by a phase counter. With P phases and a
// step of S per output, output o of a block sits at position Q = phase + S*o on a grid
// where input sample i is at P*i: it is the sum over t of table[Q mod P][t] * x[Q div P - t],
// taken in increasing t from 0 in single precision. A block of n inputs emits every
// output whose Q lies below P*n; the phase left over carries into the next block, whose
// first input is again at position 0.
#include <cstddef>
#include <cstdint>

namespace qx {

class RationalResampler {
public:
    // `table` holds `phases` rows of `stride` floats; the first `taps` of each row are used
    // (the rest are zero).
    constexpr RationalResampler(const float* table, uint32_t phases, uint32_t stride, uint32_t taps, uint32_t step)
        : table_(table), phases_(phases), stride_(stride), taps_(taps), step_(step) {}

    // Input samples before x[0] that the first output reads.
    uint32_t History() const { return taps_ - 1; }
    uint32_t Taps() const { return taps_; }
    uint32_t Phases() const { return phases_; }
    uint32_t Step() const { return step_; }

    // Outputs a block of n inputs yields from `phase`.
    uint64_t OutputCount(uint32_t n, uint32_t phase) const;

    // Converts x[0..n-1] (x[-History()..-1] hold the previous inputs) from `phase`,
    // writes at most maxOut outputs, advances `phase` past the whole block and returns
    // the number written.
    uint32_t Run(const float* x, uint32_t n, uint32_t& phase, float* out, uint32_t maxOut) const;

private:
    const float* table_;
    uint32_t phases_;
    uint32_t stride_;
    uint32_t taps_;
    uint32_t step_;
};

}  // namespace qx
