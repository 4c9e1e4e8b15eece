#include "processors/ChannelBlock.h"

#include <cstring>
#include <new>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#include <emmintrin.h>
#define QX_CHANNELS_SSE2 1
#endif

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
    const float* sources[kChannels];
    for (uint32_t c = 0; c < channels; ++c) sources[c] = table_[map[c] % kChannels];
    InterleavePlanar(sources, channels, frames, interleaved);
}

// The split and the write-back move four channels of four frames at a time as one 4 x 4
// transpose, and a stereo period as two shuffles per four frames; the channels left over
// (and the frames after the last group of four) go one sample at a time.
namespace {

#ifdef QX_CHANNELS_SSE2
// Channels [c, c + 4) of frames [0, frames rounded down to 4): interleaved -> planar.
uint32_t SplitFour(const float* in, uint32_t channels, uint32_t c, uint32_t frames, float* const* dst) {
    uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const float* p = in + size_t(i) * channels + c;
        __m128 r0 = _mm_loadu_ps(p), r1 = _mm_loadu_ps(p + channels), r2 = _mm_loadu_ps(p + 2 * channels),
               r3 = _mm_loadu_ps(p + 3 * channels);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        _mm_storeu_ps(dst[0] + i, r0);
        _mm_storeu_ps(dst[1] + i, r1);
        _mm_storeu_ps(dst[2] + i, r2);
        _mm_storeu_ps(dst[3] + i, r3);
    }
    return i;
}

// The same for the two channels of a stereo period.
uint32_t SplitStereo(const float* in, uint32_t frames, float* const* dst) {
    uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128 a = _mm_loadu_ps(in + 2 * i), b = _mm_loadu_ps(in + 2 * i + 4);
        _mm_storeu_ps(dst[0] + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(dst[1] + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    return i;
}

// Channels [c, c + 4) of frames [0, frames rounded down to 4): planar -> interleaved.
uint32_t InterleaveFour(const float* const* src, uint32_t channels, uint32_t c, uint32_t frames, float* out) {
    uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        __m128 r0 = _mm_loadu_ps(src[0] + i), r1 = _mm_loadu_ps(src[1] + i), r2 = _mm_loadu_ps(src[2] + i),
               r3 = _mm_loadu_ps(src[3] + i);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        float* p = out + size_t(i) * channels + c;
        _mm_storeu_ps(p, r0);
        _mm_storeu_ps(p + channels, r1);
        _mm_storeu_ps(p + 2 * channels, r2);
        _mm_storeu_ps(p + 3 * channels, r3);
    }
    return i;
}

uint32_t InterleaveStereo(const float* const* src, uint32_t frames, float* out) {
    uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128 l = _mm_loadu_ps(src[0] + i), r = _mm_loadu_ps(src[1] + i);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
    }
    return i;
}
#endif

bool AllPresent(const float* const* p, uint32_t n) {
    for (uint32_t k = 0; k < n; ++k)
        if (!p[k]) return false;
    return true;
}

}  // namespace

void SplitInterleaved(const float* interleaved, uint32_t channels, uint32_t frames, float* const* planar) {
    for (uint32_t c = 0; c < channels;) {
        // Channels taken together from c on, and the frames they have done.
        uint32_t width = 1, done = 0;
#ifdef QX_CHANNELS_SSE2
        if (c + 4 <= channels && AllPresent(planar + c, 4)) {
            width = 4;
            done = SplitFour(interleaved, channels, c, frames, planar + c);
        } else if (channels == 2 && AllPresent(planar, 2)) {
            width = 2;
            done = SplitStereo(interleaved, frames, planar);
        }
#endif
        for (uint32_t k = c; k < c + width; ++k) {
            float* dst = planar[k];
            if (!dst) continue;
            const float* src = interleaved + k;
            for (uint32_t i = done; i < frames; ++i) dst[i] = src[size_t(i) * channels];
        }
        c += width;
    }
}

void InterleavePlanar(const float* const* planar, uint32_t channels, uint32_t frames, float* interleaved) {
    for (uint32_t c = 0; c < channels;) {
        uint32_t width = 1, done = 0;
#ifdef QX_CHANNELS_SSE2
        if (c + 4 <= channels && AllPresent(planar + c, 4)) {
            width = 4;
            done = InterleaveFour(planar + c, channels, c, frames, interleaved);
        } else if (channels == 2 && AllPresent(planar, 2)) {
            width = 2;
            done = InterleaveStereo(planar, frames, interleaved);
        }
#endif
        for (uint32_t k = c; k < c + width; ++k) {
            const float* src = planar[k];
            float* dst = interleaved + k;
            for (uint32_t i = done; i < frames; ++i) dst[size_t(i) * channels] = src ? src[i] : 0.0f;
        }
        c += width;
    }
}

}  // namespace qx
