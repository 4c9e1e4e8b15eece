// Fuzzes the text formatter with arbitrary formats and capacities.
// Input: one byte choosing the capacity (1 to 64), then the format as 16-bit code units.
// Build the whole pure library with coverage so that the formatter itself is guided:
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
//         -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
//   cmake --build build/fuzz --target FormatTextFuzz && build/fuzz/fuzz/FormatTextFuzz
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/FormatText.h"
#include "fuzz/FuzzCheck.h"

namespace {

constexpr size_t kMaxCapacity = 64;
constexpr size_t kGuard = 8;
constexpr wchar_t kCanary = 0x5A5A;
// Every conversion reads at most three arguments (width, precision, value); the harness
// passes kArgCount and refuses formats with more conversions than these can serve.
constexpr size_t kArgCount = 48;

// Each argument is a pointer to a text that is terminated both as a wide and as a narrow
// string, so any conversion may read it: as a string, a character or an integer.
const wchar_t kText[] = L"fuzz\xE9\x3A9";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t capacity = 1 + data[0] % kMaxCapacity;
    std::vector<wchar_t> format;
    size_t percents = 0;
    for (size_t i = 1; i + 1 < size; i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) break;
        percents += c == L'%';
        format.push_back(c);
    }
    format.push_back(0);
    if (percents > kArgCount / 3) return 0;

    wchar_t buffer[kMaxCapacity + kGuard];
    for (wchar_t& c : buffer) c = kCanary;
    const wchar_t* a = kText;
    const int32_t hr = qx::FormatText(buffer, capacity, format.data(), a, a, a, a, a, a, a, a, a, a, a, a, a, a, a,
                                      a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a,
                                      a, a, a, a, a, a, a, a);

    // Only the two success-or-cut answers are possible, the text is terminated inside the
    // capacity (at its last slot when cut), and nothing beyond the capacity is written.
    Check(hr == 0 || hr == int32_t(0x8007007Au));
    bool terminated = false;
    for (size_t i = 0; i < capacity && !terminated; ++i) terminated = buffer[i] == 0;
    Check(terminated);
    Check(hr == 0 || buffer[capacity - 1] == 0);
    for (size_t i = capacity; i < kMaxCapacity + kGuard; ++i) Check(buffer[i] == kCanary);
    return 0;
}
