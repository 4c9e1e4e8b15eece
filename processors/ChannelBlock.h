#pragma once
// The planar working set of a processor: one zeroed allocation carved into eight channel
// buffers, each starting on a 16-byte boundary, and the table of their pointers that the
// effect components receive. The block only grows. Pure C++.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qx {

class ChannelBlock {
public:
    static constexpr uint32_t kChannels = 8;

    ChannelBlock();
    ChannelBlock(const ChannelBlock&) = delete;
    ChannelBlock& operator=(const ChannelBlock&) = delete;

    // Makes every buffer hold at least `frames` floats. A larger request replaces the
    // block by a new zeroed one of (frames + 4) x 32 bytes; a smaller one keeps the block.
    // False when the allocation failed: the block is then empty (capacity 0).
    bool Reserve(uint32_t frames);

    uint32_t Capacity() const { return capacity_; }
    // All eight pointers, valid (non-null) once Reserve succeeded with frames above 0.
    float* const* Table() const { return table_; }
    float* Channel(uint32_t k) const { return table_[k]; }

    // Zeroes the first `frames` samples of every buffer.
    void Clear(uint32_t frames);
    // Sample i of channel c of an interleaved period goes to buffer c, index i.
    void Split(const float* interleaved, uint32_t channels, uint32_t frames);
    // Writes output[i * channels + c] = buffer[map[c]][i]; map holds `channels` indices.
    void Interleave(float* interleaved, uint32_t channels, uint32_t frames, const uint8_t* map) const;

private:
    std::unique_ptr<unsigned char[]> block_;
    uint32_t capacity_ = 0;
    float* table_[kChannels];
};

// Free forms of the split and write-back for processors that keep their own buffers.
void SplitInterleaved(const float* interleaved, uint32_t channels, uint32_t frames, float* const* planar);
void InterleavePlanar(const float* const* planar, uint32_t channels, uint32_t frames, float* interleaved);

}  // namespace qx
