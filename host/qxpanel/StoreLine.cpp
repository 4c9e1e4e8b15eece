#include "host/qxpanel/StoreLine.h"

#include <cstdlib>

namespace qx::panel {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hex digits of either case.
bool ParseBracedGuid(const std::string& text, Guid& guid) {
    if (text.size() != 38 || text[0] != '{' || text[37] != '}') return false;
    uint8_t bytes[16];
    size_t at = 1;
    for (uint8_t& b : bytes) {
        if (at == 9 || at == 14 || at == 19 || at == 24) {
            if (text[at] != '-') return false;
            ++at;
        }
        const int high = HexValue(text[at]), low = HexValue(text[at + 1]);
        if (high < 0 || low < 0) return false;
        b = uint8_t(high << 4 | low);
        at += 2;
    }
    guid.data1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    guid.data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    guid.data3 = uint16_t(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
    return true;
}

// Decimal digits only, at most 0xFFFFFFFF.
bool ParsePid(const std::string& text, uint32_t& pid) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    pid = uint32_t(v);
    return true;
}

bool ParseKeyName(const std::string& name, settings::KeyId& key) {
    if (const settings::KeyInfo* info = settings::FindKeyByName(name.c_str())) {
        key = info->key;
        return true;
    }
    // "{fmtid}/pid"
    const size_t slash = name.find('/');
    if (slash != 38) return false;
    return ParseBracedGuid(name.substr(0, 38), key.fmtid) && ParsePid(name.substr(39), key.pid);
}

bool ParseHex(const std::string& text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexValue(text[i]), low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(uint8_t(high << 4 | low));
    }
    return true;
}
}  // namespace

std::string TrimStoreLine(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

bool ParseStoreEntry(const std::string& raw, StoreEntry& entry) {
    const std::string line = TrimStoreLine(raw);
    const size_t space = line.find_first_of(" \t");
    if (line.empty() || line[0] == '#' || space == std::string::npos) return false;
    const std::string text = TrimStoreLine(line.substr(space));
    if (!ParseKeyName(line.substr(0, space), entry.key) || text.empty()) return false;
    if (text.compare(0, 4, "hex:") == 0) {
        entry.isBlob = true;
        return ParseHex(text.substr(4), entry.bytes);
    }
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 0);
    if (*end || number < -2147483648LL || number > 0xFFFFFFFFLL) return false;
    entry.isBlob = false;
    entry.number = uint32_t(number);  // negative settings are stored sign-extended
    return true;
}

}  // namespace qx::panel
