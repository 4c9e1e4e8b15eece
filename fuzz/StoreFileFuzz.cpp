// Fuzzes the text parser of the page host's store file.
// Input: the text of a store file; each line is parsed as the page host parses it.
// Checked, besides crashes, leaks and undefined behaviour: a line that parses, written
// again as "{fmtid}/pid value" (the form for keys outside the schema, with an unsigned
// decimal number or the blob's bytes in lower-case hex), parses to the same entry.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "host/qxpanel/StoreLine.h"

namespace {
using qx::panel::StoreEntry;

std::string Written(const StoreEntry& e) {
    char text[64];
    const qx::Guid& g = e.key.fmtid;
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}/%u ", unsigned(g.data1),
                  unsigned(g.data2), unsigned(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                  g.data4[5], g.data4[6], g.data4[7], unsigned(e.key.pid));
    std::string line = text;
    if (!e.isBlob) return line + std::to_string(e.number);
    line += "hex:";
    for (uint8_t b : e.bytes) line += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    return line;
}

void CheckLine(const std::string& line) {
    StoreEntry entry;
    if (!qx::panel::ParseStoreEntry(line, entry)) return;
    StoreEntry again;
    Check(qx::panel::ParseStoreEntry(Written(entry), again));
    Check(again.key == entry.key && again.isBlob == entry.isBlob);
    if (entry.isBlob) Check(again.bytes == entry.bytes);
    else Check(again.number == entry.number);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        CheckLine(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
