#pragma once
// Parameter blocks as the sample components take them: little-endian 32-bit fields, a
// band update of the ten-band equalizer and 16-byte filter records (on, frequency, gain,
// Q) in the 240-byte set of the fifteen-band equalizer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qx::test {

using Bytes = std::vector<uint8_t>;

inline Bytes U32(int64_t v) {
    const uint32_t u = uint32_t(v);
    return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}
inline Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Bytes Band(uint8_t band, int64_t gain) { return Cat({band, 0, 0, 0}, U32(gain)); }
inline Bytes Filter(int64_t hz, int64_t gain) { return Cat(U32(hz), U32(gain)); }
// The record placed as band `band` over `all` (a zeroed set when empty).
inline Bytes Band15(Bytes all, int band, bool on, int hz, int gain, float q) {
    all.resize(240);
    uint32_t qBits;
    std::memcpy(&qBits, &q, 4);
    const Bytes r = Cat(Cat({uint8_t(on), 0, 0, 0}, Filter(hz, gain)), U32(qBits));
    std::copy(r.begin(), r.end(), all.begin() + 16 * band);
    return all;
}

}  // namespace qx::test
