#include "server/ReplacementList.h"

#include <new>

#include "server/RegText.h"

namespace qx {

const std::wstring* ReplacementList::Find(std::wstring_view name) const {
    for (const auto& pair : pairs_)
        if (EqualsNoCase(pair.first, name)) return &pair.second;
    return nullptr;
}

Status ReplacementList::Expand(std::wstring_view text, std::wstring* out) const {
    try {
        out->clear();
        out->reserve(text.size() * 2 > 1000 ? text.size() * 2 : 1000);
        size_t i = 0;
        while (i < text.size()) {
            const size_t percent = text.find(L'%', i);
            if (percent == std::wstring_view::npos) {
                out->append(text.substr(i));
                break;
            }
            out->append(text.substr(i, percent - i));
            const size_t close = text.find(L'%', percent + 1);
            if (close == std::wstring_view::npos) return status::kDispException;
            const std::wstring_view name = text.substr(percent + 1, close - percent - 1);
            if (name.empty()) {
                out->push_back(L'%');
            } else {
                if (name.size() > kMaxName) return status::kFail;
                const std::wstring* value = Find(name);
                if (!value) return status::kDispException;
                out->append(*value);
            }
            i = close + 1;
        }
        return status::kOk;
    } catch (const std::bad_alloc&) {
        return status::kOutOfMemory;
    }
}

}  // namespace qx
