#pragma once
// The table forms the three processors describe themselves in. Pure C++.
#include <cstdint>

#include "settings/EffectSchema.h"

namespace qx {

// How a stored setting becomes the bytes of one SetParameter call (or two, for a filter
// record).
enum class Encoding : uint8_t {
    Word,             // (id, 4, value)
    WordMinus12,      // (id, 4, value - 12): a 0..24 level centred on 12
    LowByte,          // (id, 1, low byte of the value)
    BoolByte,         // (id, 1, 1 when the value is nonzero, else 0)
    PlusOneByte,      // (id, 1, low byte of the value + 1)
    DecodeModeByte,   // (id, 1, 2 for the value 1 ("Music"), else 3)
    AngleStepByte,    // (id, 1, (low byte + 1) x 5): the index of 5, 10, ... 30 degrees
    TenthsFloat,      // (id, 4, value / 10 as a 32-bit float)
    Float,            // (id, 4, the value as a 32-bit float)
    EqualizerBands,   // ten values from key.pid on: (id, 40, the ten values)
    EqualizerBand,    // (id, 8, {key.pid - 1, 0, 0, 0, value})
    EnvironmentPair,  // room size and preset: (id, 2, {low byte of pid 2, low byte of pid 1})
    FilterRecord,     // 16-byte record: (id, 1, on != 0), then (id + 1, 8, frequency, gain)
    FilterBands,      // 240 bytes: (id, 240, 15 records {on != 0, 0, 0, 0, frequency, gain, q})
};

inline constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

struct PushRule {
    Encoding encoding;
    uint8_t id;
    bool sendDefault;             // false: nothing is sent when the value is absent
    uint32_t def;                 // the value used when absent (blobs: all zero)
    uint32_t maxValue = kNoLimit;  // a value read above this is not sent
};

// One setting of one component slot.
struct KeyPush {
    uint8_t slot;
    settings::KeyId key;
    PushRule rule;
};

}  // namespace qx
