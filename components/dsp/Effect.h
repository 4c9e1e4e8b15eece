#pragma once
// The pure signal-processing side of a sample effect component: set up for a stream,
// take parameters from any thread at any time, process planar float buffers in place.
// No Windows headers; the COM wrapper adapts it to the component interface.
#include <cstdint>
#include <cstring>

namespace qx::fx {

enum class ParamStatus { Ok, UnknownId, BadSize };

inline constexpr uint32_t kMaxChannels = 8;

class Effect {
public:
    virtual ~Effect() = default;
    // Sets up for a stream of `channels` planar float channels at `rate` frames per
    // second and clears the history. May allocate (throws std::bad_alloc); never runs
    // concurrently with Process.
    virtual void Prepare(double rate, uint32_t channels) = 0;
    // Safe from any thread, also while Process runs: values are latched atomically and
    // taken over by the next Process call. `data` lives only during the call.
    virtual ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) = 0;
    // In place on buffers[0 .. channels-1]; allocates nothing and takes no lock.
    virtual void Process(float* const* buffers, uint32_t frames) = 0;
};

// Little-endian field readers for parameter blocks.
inline uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline float ReadF32(const uint8_t* p) {
    const uint32_t bits = ReadU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
// Signed settings travel as 32-bit values whose low 16 bits are the signed number.
inline int32_t ReadSigned16(const uint8_t* p) { return int16_t(uint16_t(ReadU32(p) & 0xFFFFu)); }

template <class T>
constexpr T Clamp(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace qx::fx
