#include "common/DecimalDigits.h"

#include <cstring>

namespace qx {
namespace {

constexpr uint32_t kLimbBase = 1000000000u;  // nine decimal digits per limb
constexpr int kMaxLimbs = 90;

// A non-negative integer in base 10^9, least significant limb first.
struct BigDecimal {
    uint32_t limbs[kMaxLimbs];
    int count = 0;

    explicit BigDecimal(uint64_t v) {
        for (; v != 0; v /= kLimbBase) limbs[count++] = uint32_t(v % kLimbBase);
    }
    // factor < 2^31, so limb * factor + carry stays below 2^62.
    void Multiply(uint32_t factor) {
        uint64_t carry = 0;
        for (int i = 0; i < count; ++i) {
            const uint64_t t = uint64_t(limbs[i]) * factor + carry;
            limbs[i] = uint32_t(t % kLimbBase);
            carry = t / kLimbBase;
        }
        for (; carry != 0; carry /= kLimbBase) limbs[count++] = uint32_t(carry % kLimbBase);
    }
};

}  // namespace

// value = mantissa * 2^e. For e >= 0 the digits are those of the integer mantissa * 2^e;
// for e < 0, value = mantissa * 5^-e / 10^-e, so they are the digits of mantissa * 5^-e
// with the decimal point moved -e places.
DecimalDigits::DecimalDigits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = int((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t(1) << 52) - 1);
    if (biased == 0) {
        if (mantissa == 0) return;
        biased = 1;  // subnormal
    } else {
        mantissa |= uint64_t(1) << 52;
    }
    const int e = biased - 1075;
    BigDecimal n(mantissa);
    if (e >= 0) {
        for (int left = e; left > 0; left -= 30) n.Multiply(uint32_t(1) << (left < 30 ? left : 30));
    } else {
        constexpr uint32_t kPow5[] = {1,       5,        25,        125,        625,        3125,      15625,
                                      78125,   390625,   1953125,   9765625,    48828125,   244140625, 1220703125};
        for (int left = -e; left > 0; left -= 13) n.Multiply(kPow5[left < 13 ? left : 13]);
    }
    FromInteger(n.limbs, n.count, e < 0 ? -e : 0);
}

void DecimalDigits::FromInteger(const uint32_t* limbs, int limbCount, int scale) {
    count_ = 0;
    char top[10];
    int topLength = 0;
    for (uint32_t v = limbs[limbCount - 1]; v != 0; v /= 10) top[topLength++] = char(v % 10);
    while (topLength > 0) digits_[count_++] = uint8_t(top[--topLength]);
    for (int i = limbCount - 2; i >= 0; --i) {
        uint32_t v = limbs[i];
        for (int k = 8; k >= 0; --k, v /= 10) digits_[count_ + k] = uint8_t(v % 10);
        count_ += 9;
    }
    exponent_ = count_ - 1 - scale;
    while (count_ > 0 && digits_[count_ - 1] == 0) --count_;
}

void DecimalDigits::RoundTo(int keep) {
    if (keep >= count_) return;
    bool up = false;
    if (keep >= 0) {
        const int dropped = digits_[keep];
        // Trailing zeros are never stored, so any digit after a 5 makes it more than half.
        const bool tie = dropped == 5 && keep + 1 == count_;
        up = dropped > 5 || (dropped == 5 && !tie) || (tie && Digit(keep - 1) % 2 == 1);
    }
    count_ = keep < 0 ? 0 : keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && digits_[i] == 9) --i;
        if (i < 0) {  // 9...9 carries into a new leading 1
            digits_[0] = 1;
            count_ = 1;
            ++exponent_;
        } else {
            ++digits_[i];
            count_ = i + 1;
        }
    }
    while (count_ > 0 && digits_[count_ - 1] == 0) --count_;
    if (count_ == 0) exponent_ = 0;
}

}  // namespace qx
