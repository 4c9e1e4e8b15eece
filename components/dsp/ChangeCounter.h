#pragma once
// Tells the audio thread that parameters changed since it last looked. The writer posts
// after storing its atomics; the audio thread takes the news once per period and then
// recomputes from the atomics, so a parameter burst costs one recomputation.
#include <atomic>
#include <cstdint>

namespace qx::fx {

class ChangeCounter {
public:
    void Post() { posted_.fetch_add(1, std::memory_order_release); }
    // Audio thread only: true once per batch of posts.
    bool Take() {
        const uint32_t now = posted_.load(std::memory_order_acquire);
        if (now == seen_) return false;
        seen_ = now;
        return true;
    }

private:
    std::atomic<uint32_t> posted_{1};
    uint32_t seen_ = 0;
};

}  // namespace qx::fx
