#include "server/RegScriptTokenizer.h"

namespace qx {

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
}  // namespace

void RegScriptTokenizer::SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
}

bool RegScriptTokenizer::AtEnd() {
    SkipBlanks();
    return pos_ == text_.size();
}

Status RegScriptTokenizer::Next(std::wstring* token) {
    token->clear();
    SkipBlanks();
    if (pos_ == text_.size()) return status::kDispException;
    if (text_[pos_] == L'\'') return Quoted(token);
    const size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    if (pos_ - start > kMaxToken) return status::kDispException;
    token->assign(text_.substr(start, pos_ - start));
    return status::kOk;
}

Status RegScriptTokenizer::Quoted(std::wstring* token) {
    ++pos_;  // opening quote
    for (;;) {
        if (pos_ == text_.size()) return status::kDispException;
        const wchar_t c = text_[pos_++];
        if (c == L'\'') {
            if (pos_ == text_.size() || text_[pos_] != L'\'') return status::kOk;
            ++pos_;  // a doubled quote stands for one
        }
        if (token->size() == kMaxToken) return status::kDispException;
        token->push_back(c);
    }
}

bool RegScriptTokenizer::Accept(std::wstring_view word) {
    const size_t saved = pos_;
    std::wstring token;
    if (Next(&token) == status::kOk && token == word) return true;
    pos_ = saved;
    return false;
}

}  // namespace qx
