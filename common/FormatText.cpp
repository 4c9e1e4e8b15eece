#include "common/FormatText.h"

#include <climits>
#include <cmath>
#include <iterator>

#include "common/DecimalDigits.h"
#include "common/Status.h"

namespace qx {
namespace {

constexpr size_t kMaxCapacity = 2147483647u;
// Widths and precisions saturate here; the output is bounded by the capacity anyway.
constexpr int kMaxField = INT_MAX / 2;

// The variable arguments behind a reference that works whatever type va_list is.
struct Args {
    va_list list;
};

// Writes into the caller's buffer, keeping one slot for the terminator. Once a character
// does not fit the writer is full and ignores the rest, so formatting can stop early.
class Writer {
public:
    Writer(wchar_t* buffer, size_t capacity) : buffer_(buffer), limit_(capacity - 1) {}

    bool Full() const { return full_; }

    void Put(wchar_t c) {
        if (length_ == limit_) {
            full_ = true;
            return;
        }
        buffer_[length_++] = c;
    }
    void Repeat(wchar_t c, size_t count) {
        for (; count > 0 && !full_; --count) Put(c);
    }
    void Terminate() { buffer_[length_] = 0; }

private:
    wchar_t* buffer_;
    size_t limit_;
    size_t length_ = 0;
    bool full_ = false;
};

enum class Size { Default, Char, Short, Long, LongLong, Int32, Int64, Pointer, IntMax, LongDouble };

struct Conversion {
    bool left = false;   // '-': pad on the right
    bool plus = false;   // '+': sign on non-negative numbers
    bool space = false;  // ' ': a space where a '+' would go
    bool zero = false;   // '0': pad with zeros after sign and prefix
    bool alt = false;    // '#': 0x prefix, leading 0 for octal
    int width = 0;
    int precision = -1;  // none
    Size size = Size::Default;
    wchar_t conversion = 0;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int ReadNumber(const wchar_t*& p) {
    int value = 0;
    for (; IsDigit(*p); ++p) value = value >= kMaxField / 10 ? kMaxField : value * 10 + (*p - L'0');
    return value;
}

// Width or precision: digits, or '*' taking an int from the arguments.
bool ReadField(const wchar_t*& p, Args& args, int& field) {
    if (*p == L'*') {
        ++p;
        field = va_arg(args.list, int);
        return true;
    }
    if (!IsDigit(*p)) return false;
    field = ReadNumber(p);
    return true;
}

void ReadFlags(const wchar_t*& p, Conversion& conv) {
    for (;; ++p) {
        switch (*p) {
        case L'-': conv.left = true; break;
        case L'+': conv.plus = true; break;
        case L' ': conv.space = true; break;
        case L'0': conv.zero = true; break;
        case L'#': conv.alt = true; break;
        default: return;
        }
    }
}

bool StartsWith(const wchar_t* p, const wchar_t* prefix) {
    for (; *prefix; ++p, ++prefix)
        if (*p != *prefix) return false;
    return true;
}

// Size prefixes in the Windows spelling (I, I32, I64, w) and the standard one. 'L' marks a
// long double for the floating-point conversions and reads 64 bits for the integer ones.
Size ReadSize(const wchar_t*& p) {
    struct Prefix {
        const wchar_t* text;
        size_t length;
        Size size;
    };
    static constexpr Prefix kPrefixes[] = {
        {L"I64", 3, Size::Int64}, {L"I32", 3, Size::Int32}, {L"hh", 2, Size::Char},   {L"ll", 2, Size::LongLong},
        {L"I", 1, Size::Pointer}, {L"h", 1, Size::Short},   {L"l", 1, Size::Long},    {L"w", 1, Size::Long},
        {L"z", 1, Size::Pointer}, {L"L", 1, Size::LongDouble}, {L"t", 1, Size::Pointer}, {L"j", 1, Size::IntMax},
    };
    for (const Prefix& prefix : kPrefixes) {
        if (StartsWith(p, prefix.text)) {
            p += prefix.length;
            return prefix.size;
        }
    }
    return Size::Default;
}

// Parses the conversion after a '%'; p ends behind the conversion character.
Conversion ReadConversion(const wchar_t*& p, Args& args) {
    Conversion conv;
    ReadFlags(p, conv);
    if (ReadField(p, args, conv.width) && conv.width < 0) {
        conv.left = true;  // a negative '*' width means left-justified
        conv.width = conv.width == INT_MIN ? kMaxField : -conv.width;
    }
    conv.width = conv.width > kMaxField ? kMaxField : conv.width;
    if (*p == L'.') {
        ++p;
        if (!ReadField(p, args, conv.precision)) conv.precision = 0;  // "." alone is ".0"
        if (conv.precision < 0) conv.precision = -1;                    // a negative '*' means none
        conv.precision = conv.precision > kMaxField ? kMaxField : conv.precision;
    }
    conv.size = ReadSize(p);
    conv.conversion = *p;
    if (*p) ++p;
    return conv;
}

// --- integers ---

long long ReadSigned(Args& args, Size size) {
    switch (size) {
    case Size::Char: return static_cast<signed char>(va_arg(args.list, int));
    case Size::Short: return static_cast<short>(va_arg(args.list, int));
    case Size::Long: return va_arg(args.list, long);
    case Size::LongLong:
    case Size::Int64:
    case Size::LongDouble: return va_arg(args.list, long long);
    case Size::Pointer: return va_arg(args.list, ptrdiff_t);
    case Size::IntMax: return va_arg(args.list, intmax_t);
    default: return va_arg(args.list, int);
    }
}

unsigned long long ReadUnsigned(Args& args, Size size) {
    switch (size) {
    case Size::Char: return static_cast<unsigned char>(va_arg(args.list, unsigned));
    case Size::Short: return static_cast<unsigned short>(va_arg(args.list, unsigned));
    case Size::Long: return va_arg(args.list, unsigned long);
    case Size::LongLong:
    case Size::Int64:
    case Size::LongDouble: return va_arg(args.list, unsigned long long);
    case Size::Pointer: return va_arg(args.list, size_t);
    case Size::IntMax: return va_arg(args.list, uintmax_t);
    default: return va_arg(args.list, unsigned);
    }
}

struct Number {
    unsigned long long magnitude;
    bool negative;
    unsigned base;
    bool upper;
    const wchar_t* prefix;  // "0x", "0X" or ""
};

// Lays out one field: [spaces][sign][prefix][zeros][body][spaces]. The body has a known
// length and is written by a callable. Zero padding (the '0' flag) goes between the sign or
// prefix and the body; '-' pads on the right instead.
template <class Body>
void PutField(Writer& out, const Conversion& conv, const wchar_t* sign, const wchar_t* prefix, size_t zeros,
              size_t bodyLength, const Body& body) {
    size_t length = zeros + bodyLength;
    for (const wchar_t* s : {sign, prefix})
        for (; *s; ++s) ++length;
    const size_t pad = size_t(conv.width) > length ? size_t(conv.width) - length : 0;
    const bool zeroPad = conv.zero && !conv.left;
    if (!conv.left && !zeroPad) out.Repeat(L' ', pad);
    for (const wchar_t* s : {sign, prefix})
        for (; *s; ++s) out.Put(*s);
    out.Repeat(L'0', zeros + (zeroPad ? pad : 0));
    body();
    if (conv.left) out.Repeat(L' ', pad);
}

const wchar_t* SignOf(const Conversion& conv, bool negative) {
    return negative ? L"-" : conv.plus ? L"+" : conv.space ? L" " : L"";
}

void PutNumber(Writer& out, Conversion conv, const Number& n) {
    wchar_t digits[64];  // enough for 64 bits in octal
    size_t first = std::size(digits);
    const wchar_t* alphabet = n.upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    for (unsigned long long v = n.magnitude; v != 0; v /= n.base) digits[--first] = alphabet[v % n.base];
    const size_t count = std::size(digits) - first;

    // Without a precision at least one digit is shown; with one, that many at least.
    size_t minDigits = conv.precision < 0 ? 1 : size_t(conv.precision);
    if (conv.precision >= 0) conv.zero = false;
    if (n.base == 8 && conv.alt && minDigits <= count) minDigits = count + 1;  // octal '#' leads with 0
    const size_t zeros = minDigits > count ? minDigits - count : 0;
    PutField(out, conv, SignOf(conv, n.negative), n.magnitude != 0 ? n.prefix : L"", zeros, count, [&] {
        for (size_t i = first; i < std::size(digits); ++i) out.Put(digits[i]);
    });
}

void FormatSigned(Writer& out, const Conversion& conv, Args& args) {
    const long long v = ReadSigned(args, conv.size);
    const unsigned long long magnitude = v < 0 ? 0ull - static_cast<unsigned long long>(v) : v;
    PutNumber(out, conv, {magnitude, v < 0, 10, false, L""});
}

void FormatUnsigned(Writer& out, Conversion conv, Args& args) {
    const unsigned long long v = ReadUnsigned(args, conv.size);
    conv.plus = conv.space = false;  // only signed conversions show a sign
    switch (conv.conversion) {
    case L'o': PutNumber(out, conv, {v, false, 8, false, L""}); break;
    case L'x': PutNumber(out, conv, {v, false, 16, false, conv.alt ? L"0x" : L""}); break;
    case L'X': PutNumber(out, conv, {v, false, 16, true, conv.alt ? L"0X" : L""}); break;
    default: PutNumber(out, conv, {v, false, 10, false, L""}); break;
    }
}

// Pointers show every hex digit of the address in upper case.
void FormatPointer(Writer& out, Conversion conv, Args& args) {
    const auto v = reinterpret_cast<uintptr_t>(va_arg(args.list, void*));
    conv.precision = int(2 * sizeof(void*));
    conv.plus = conv.space = false;
    PutNumber(out, conv, {v, false, 16, true, L""});
}

// --- floating point ---

// Fixed notation of digits already rounded to `fraction` decimals.
void PutFixed(Writer& out, const Conversion& conv, bool negative, const DecimalDigits& d, int fraction) {
    const int x = d.Exponent();
    const int whole = x >= 0 ? x + 1 : 1;
    const bool point = fraction > 0 || conv.alt;
    const size_t length = size_t(whole) + (point ? 1 + size_t(fraction) : 0);
    PutField(out, conv, SignOf(conv, negative), L"", 0, length, [&] {
        for (int i = 0; i < whole && !out.Full(); ++i) out.Put(wchar_t(L'0' + (x >= 0 ? d.Digit(i) : 0)));
        if (point) out.Put(L'.');
        for (int j = 1; j <= fraction && !out.Full(); ++j) out.Put(wchar_t(L'0' + d.Digit(x + j)));
    });
}

// d.ddd e+XX notation (two exponent digits at least) of digits already rounded to
// fraction + 1 significant digits.
void PutScientific(Writer& out, const Conversion& conv, bool negative, const DecimalDigits& d, int fraction, bool upper) {
    const int x = d.Exponent();
    wchar_t exponent[8];
    size_t e = std::size(exponent);
    for (int v = x < 0 ? -x : x, n = 0; v != 0 || n < 2; v /= 10, ++n) exponent[--e] = wchar_t(L'0' + v % 10);
    exponent[--e] = x < 0 ? L'-' : L'+';
    exponent[--e] = upper ? L'E' : L'e';
    const bool point = fraction > 0 || conv.alt;
    const size_t length = 1 + (point ? 1 + size_t(fraction) : 0) + (std::size(exponent) - e);
    PutField(out, conv, SignOf(conv, negative), L"", 0, length, [&] {
        out.Put(wchar_t(L'0' + d.Digit(0)));
        if (point) out.Put(L'.');
        for (int j = 1; j <= fraction && !out.Full(); ++j) out.Put(wchar_t(L'0' + d.Digit(j)));
        for (size_t i = e; i < std::size(exponent); ++i) out.Put(exponent[i]);
    });
}

// %g: the shorter style for the magnitude, without trailing zeros unless '#'.
void PutGeneral(Writer& out, const Conversion& conv, bool negative, DecimalDigits& d, bool upper) {
    const int significant = conv.precision < 0 ? 6 : conv.precision == 0 ? 1 : conv.precision;
    d.RoundTo(significant);
    const int x = d.Exponent();
    const bool fixed = x >= -4 && x < significant;
    int fraction = fixed ? significant - 1 - x : significant - 1;
    const int first = fixed ? x : 0;  // digit index of the first fraction digit, minus one
    if (!conv.alt) {
        // Digits past the stored ones are zeros: skip them at once, since the precision
        // may ask for a billion of them.
        if (fraction > d.Count() - 1 - first) fraction = d.Count() - 1 - first > 0 ? d.Count() - 1 - first : 0;
        while (fraction > 0 && d.Digit(first + fraction) == 0) --fraction;
    }
    if (fixed)
        PutFixed(out, conv, negative, d, fraction);
    else
        PutScientific(out, conv, negative, d, fraction, upper);
}

void FormatFloat(Writer& out, Conversion conv, Args& args) {
    const double v = conv.size == Size::LongDouble ? double(va_arg(args.list, long double)) : va_arg(args.list, double);
    const wchar_t conversion = conv.conversion;
    const bool upper = conversion == L'E' || conversion == L'F' || conversion == L'G';
    const bool negative = std::signbit(v);
    if (!std::isfinite(v)) {
        const wchar_t* text = std::isnan(v) ? (upper ? L"NAN" : L"nan") : (upper ? L"INF" : L"inf");
        conv.zero = false;
        PutField(out, conv, SignOf(conv, negative), L"", 0, 3, [&] {
            for (const wchar_t* t = text; *t; ++t) out.Put(*t);
        });
        return;
    }
    const int precision = conv.precision < 0 ? 6 : conv.precision;
    DecimalDigits d(v);
    if (conversion == L'f' || conversion == L'F') {
        d.RoundTo(d.Exponent() + 1 + precision);
        PutFixed(out, conv, negative, d, precision);
    } else if (conversion == L'e' || conversion == L'E') {
        d.RoundTo(precision + 1);
        PutScientific(out, conv, negative, d, precision, upper);
    } else {
        PutGeneral(out, conv, negative, d, upper);
    }
}

// --- characters and strings ---

// Narrow text is taken byte for byte (each byte value becomes the same code unit), the
// conversion of the C locale. Wide characters are 16-bit code units as on Windows.
wchar_t Widen(char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); }

// True when the conversion reads narrow text: %S/%C unless 'l'/'w' forces wide, %s/%c
// with 'h'.
bool IsNarrow(const Conversion& conv) {
    const bool upper = conv.conversion == L'S' || conv.conversion == L'C';
    if (conv.size == Size::Short) return true;
    if (conv.size == Size::Long) return false;
    return upper;
}

template <class Char>
size_t BoundedLength(const Char* text, int precision) {
    size_t n = 0;
    while ((precision < 0 || n < size_t(precision)) && text[n]) ++n;
    return n;
}

template <class Char>
void PutText(Writer& out, const Conversion& conv, const Char* text, size_t length) {
    const size_t pad = size_t(conv.width) > length ? size_t(conv.width) - length : 0;
    const wchar_t padChar = conv.zero && !conv.left ? L'0' : L' ';
    if (!conv.left) out.Repeat(padChar, pad);
    for (size_t i = 0; i < length && !out.Full(); ++i) {
        if constexpr (sizeof(Char) == 1)
            out.Put(Widen(text[i]));
        else
            out.Put(static_cast<wchar_t>(text[i]));
    }
    if (conv.left) out.Repeat(L' ', pad);
}

void FormatString(Writer& out, const Conversion& conv, Args& args) {
    if (IsNarrow(conv)) {
        const char* text = va_arg(args.list, const char*);
        if (text == nullptr) text = "(null)";
        PutText(out, conv, text, BoundedLength(text, conv.precision));
    } else {
        const wchar_t* text = va_arg(args.list, const wchar_t*);
        if (text == nullptr) text = L"(null)";
        PutText(out, conv, text, BoundedLength(text, conv.precision));
    }
}

void FormatChar(Writer& out, const Conversion& conv, Args& args) {
    const int v = va_arg(args.list, int);
    const wchar_t c = IsNarrow(conv) ? Widen(static_cast<char>(v)) : static_cast<wchar_t>(v & 0xFFFF);
    PutText(out, conv, &c, 1);
}

// --- the format walk ---

// An unknown conversion is copied as written, from the '%' to the character that ended it.
void PutVerbatim(Writer& out, const wchar_t* from, const wchar_t* to) {
    for (; from != to; ++from) out.Put(*from);
}

void FormatOne(Writer& out, const wchar_t*& p, Args& args) {
    const wchar_t* start = p - 1;  // the '%'
    const Conversion conv = ReadConversion(p, args);
    switch (conv.conversion) {
    case L'%': out.Put(L'%'); break;
    case L'd':
    case L'i': FormatSigned(out, conv, args); break;
    case L'u':
    case L'o':
    case L'x':
    case L'X': FormatUnsigned(out, conv, args); break;
    case L'p': FormatPointer(out, conv, args); break;
    case L'e':
    case L'E':
    case L'f':
    case L'F':
    case L'g':
    case L'G': FormatFloat(out, conv, args); break;
    case L'a':
    case L'A':  // hexadecimal floating point is not offered: shown as written, argument skipped
        if (conv.size == Size::LongDouble)
            va_arg(args.list, long double);
        else
            va_arg(args.list, double);
        PutVerbatim(out, start, p);
        break;
    case L'c':
    case L'C': FormatChar(out, conv, args); break;
    case L's':
    case L'S': FormatString(out, conv, args); break;
    default: PutVerbatim(out, start, p); break;
    }
}

}  // namespace

int32_t FormatTextV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list list) {
    if (buffer == nullptr || capacity == 0 || capacity > kMaxCapacity) return status::kInvalidArg;
    if (format == nullptr) {
        buffer[0] = 0;
        return status::kInvalidArg;
    }
    Writer out(buffer, capacity);
    Args args;
    va_copy(args.list, list);
    for (const wchar_t* p = format; *p && !out.Full();) {
        const wchar_t c = *p++;
        if (c == L'%')
            FormatOne(out, p, args);
        else
            out.Put(c);
    }
    va_end(args.list);
    out.Terminate();
    return out.Full() ? status::kInsufficientBuffer : status::kOk;
}

int32_t FormatText(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t hr = FormatTextV(buffer, capacity, format, args);
    va_end(args);
    return hr;
}

}  // namespace qx
