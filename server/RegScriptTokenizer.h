#pragma once
// Splits an expanded registry script into tokens: runs of non-blank characters, or text
// in single quotes where a doubled quote stands for one quote.
#include <cstddef>
#include <string>
#include <string_view>

#include "server/RegistryAccess.h"

namespace qx {

class RegScriptTokenizer {
public:
    static constexpr size_t kMaxToken = 4095;

    explicit RegScriptTokenizer(std::wstring_view text) : text_(text) {}

    // The next token; kDispException at the end of the text, inside an unclosed quote
    // or for a token longer than kMaxToken.
    Status Next(std::wstring* token);
    // Consumes the next token when it is exactly `word`; otherwise leaves it in place.
    bool Accept(std::wstring_view word);
    // True when only blanks are left.
    bool AtEnd();

    size_t Position() const { return pos_; }
    void Seek(size_t pos) { pos_ = pos; }

private:
    void SkipBlanks();
    Status Quoted(std::wstring* token);

    std::wstring_view text_;
    size_t pos_ = 0;
};

}  // namespace qx
