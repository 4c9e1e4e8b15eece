#pragma once
// The (name, value) pairs of one script run and the expansion of "%name%" in its text.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/RegistryAccess.h"

namespace qx {

class ReplacementList {
public:
    static constexpr size_t kMaxName = 31;

    void Add(std::wstring name, std::wstring value) { pairs_.emplace_back(std::move(name), std::move(value)); }
    // The value of the first pair whose name matches without regard to case.
    const std::wstring* Find(std::wstring_view name) const;

    // Copies text into *out with "%%" made "%" and "%name%" replaced by its value.
    // kFail for a name over kMaxName characters, kDispException for an unknown name or
    // a '%' that is never closed, kOutOfMemory when the output cannot grow.
    Status Expand(std::wstring_view text, std::wstring* out) const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> pairs_;
};

}  // namespace qx
