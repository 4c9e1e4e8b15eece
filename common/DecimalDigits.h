#pragma once
// The exact decimal expansion of a finite double, rounded to a chosen digit position.
// The text formatter builds its %f, %e and %g output from it, so the text is the same on
// every platform. Pure C++, no allocation.
#include <cstdint>

namespace qx {

class DecimalDigits {
public:
    // The magnitude of value (its sign is ignored); value must be finite.
    explicit DecimalDigits(double value);

    bool IsZero() const { return count_ == 0; }
    // The value is d0.d1d2... x 10^Exponent() (0 for zero).
    int Exponent() const { return exponent_; }
    // How many significant digits are stored; trailing zeros never are.
    int Count() const { return count_; }
    // Digit at position i counted from the first significant digit (0 beyond the digits,
    // and for negative i).
    int Digit(int i) const { return i >= 0 && i < count_ ? digits_[i] : 0; }

    // Rounds to the first keep significant digits, half to even (keep may be 0 or
    // negative: the value then rounds to zero or to one unit of the kept position).
    void RoundTo(int keep);

private:
    void FromInteger(const uint32_t* limbs, int limbCount, int scale);

    // The longest expansion, of a 53-bit mantissa times 5^1074, has at most 767 digits.
    static constexpr int kMaxDigits = 800;
    uint8_t digits_[kMaxDigits];
    int count_ = 0;
    int exponent_ = 0;
};

}  // namespace qx
