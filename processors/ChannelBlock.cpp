#include "processors/ChannelBlock.h"

#include <cstring>
#include <new>

namespace qx {

namespace {
constexpr size_t kAlign = 16;

unsigned char* AlignUp(unsigned char* p) {
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    return p + ((kAlign - a % kAlign) % kAlign);
}
}  // namespace

ChannelBlock::ChannelBlock() {
    for (float*& p : table_) p = nullptr;
}

bool ChannelBlock::Reserve(uint32_t frames) {
    if (frames <= capacity_) return true;
    for (float*& p : table_) p = nullptr;
    block_.reset();
    capacity_ = 0;
    // Four spare frames per buffer (128 bytes in all) cover the alignment gaps.
    const size_t bytes = (size_t(frames) + 4) * 32;
    block_.reset(new (std::nothrow) unsigned char[bytes]);
    if (!block_) return false;
    std::memset(block_.get(), 0, bytes);
    unsigned char* next = AlignUp(block_.get());
    for (float*& p : table_) {
        p = reinterpret_cast<float*>(next);
        next = AlignUp(next + size_t(frames) * sizeof(float));
    }
    capacity_ = frames;
    return true;
}

void ChannelBlock::Clear(uint32_t frames) {
    if (frames > capacity_) frames = capacity_;
    for (float* p : table_)
        if (p) std::memset(p, 0, size_t(frames) * sizeof(float));
}

void ChannelBlock::Split(const float* interleaved, uint32_t channels, uint32_t frames) {
    if (channels > kChannels || frames > capacity_) return;
    SplitInterleaved(interleaved, channels, frames, table_);
}

void ChannelBlock::Interleave(float* interleaved, uint32_t channels, uint32_t frames, const uint8_t* map) const {
    if (channels > kChannels || frames > capacity_) return;
    for (uint32_t c = 0; c < channels; ++c) {
        const float* src = table_[map[c] % kChannels];
        float* dst = interleaved + c;
        for (uint32_t i = 0; i < frames; ++i) dst[size_t(i) * channels] = src[i];
    }
}

void SplitInterleaved(const float* interleaved, uint32_t channels, uint32_t frames, float* const* planar) {
    for (uint32_t c = 0; c < channels; ++c) {
        float* dst = planar[c];
        if (!dst) continue;
        const float* src = interleaved + c;
        for (uint32_t i = 0; i < frames; ++i) dst[i] = src[size_t(i) * channels];
    }
}

void InterleavePlanar(const float* const* planar, uint32_t channels, uint32_t frames, float* interleaved) {
    for (uint32_t c = 0; c < channels; ++c) {
        const float* src = planar[c];
        float* dst = interleaved + c;
        for (uint32_t i = 0; i < frames; ++i) dst[size_t(i) * channels] = src ? src[i] : 0.0f;
    }
}

}  // namespace qx
