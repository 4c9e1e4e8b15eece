#pragma once
// The text side of the page host's store file, without Windows types: one line
// "<key> <value>" into a key and a number or blob. The key is the schema's name of the key
// ("Equalizer.enable") or "{fmtid}/pid" with a decimal pid; the value a number (decimal,
// 0x hex, or negative for signed settings, stored sign-extended) or "hex:" followed by
// the bytes of a blob. Pure C++.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/EffectSchema.h"

namespace qx::panel {

struct StoreEntry {
    settings::KeyId key{};
    bool isBlob = false;
    uint32_t number = 0;         // when not a blob
    std::vector<uint8_t> bytes;  // when a blob
};

// The line without leading and trailing blanks and line ends.
std::string TrimStoreLine(const std::string& line);

// False when the line is not a value line (blank, a '#' comment, or malformed).
bool ParseStoreEntry(const std::string& line, StoreEntry& entry);

}  // namespace qx::panel
