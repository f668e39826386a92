#pragma once
// The character-level rules by which glibc's scanf family converts "%d" and
// "%f", written once over any character source so that a file stream and a
// string (sscanf on a token) are read alike. A source offers
//
//     int Get();          // the next character as unsigned char, or kEndOfInput
//     void Unget(int c);  // gives back the character just read (nothing for kEndOfInput)
//
// Where glibc consumes characters that do not end up in the number, so do
// these: "%d" on "-x" eats the '-', "%f" on "nax" eats all three characters,
// "%f" on "1e+x" eats "1e+" and gives 1. On success the characters consumed
// are exactly the text of the number, which the caller converts.

#include <cstdint>

namespace wobble::scan {

constexpr int kEndOfInput = -1;

// White space as isspace() has it in the C locale.
inline bool IsSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
inline bool IsHexDigit(int c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline int ToLower(int c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Result of one conversion: converted, failed to match, or the input ended
// before the conversion saw a character (scanf's EOF).
enum ScanResult : int { kScanEof = -1, kScanFailed = 0, kScanConverted = 1 };

// The usual "%d" text, read straight from memory: an optional sign and one to
// nine digits, which cannot overflow, followed by a character that is not a
// digit. Returns the end of the number and sets `value`; returns nullptr,
// leaving `value` alone, for anything else, which IntCore then reads.
// Looks at most eleven characters from `p` and none past a byte that is not
// a sign or digit, so a NUL-terminated text is never read beyond its end.
[[gnu::always_inline]] inline const char* ShortInt(const char* p, int& value) {
    const bool negative = *p == '-';
    if (negative || *p == '+')
        ++p;
    unsigned magnitude = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (magnitude > 9)
        return nullptr;
    ++p;
    // Unrolled, each digit's test is a branch of its own that the processor
    // learns, for the digit counts a file keeps using.
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9) {
            value = negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
            return p;
        }
        magnitude = magnitude * 10 + digit;
        ++p;
    }
    if (IsDigit(static_cast<unsigned char>(*p)))
        return nullptr;  // ten digits or more: IntCore saturates them
    value = negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
    return p;
}

// "%d" after the leading white space has been skipped. glibc converts the
// digits with strtol and stores the long into the int, so values beyond the
// long range saturate and the int keeps the low 32 bits.
template <class Source>
ScanResult IntCore(Source& in, int& value) {
    int c = in.Get();
    if (c == kEndOfInput)
        return kScanEof;
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = in.Get();
    }
    uint64_t magnitude = 0;
    bool overflow = false;
    bool anyDigit = false;
    while (IsDigit(c)) {
        anyDigit = true;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (magnitude > (UINT64_MAX - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
        c = in.Get();
    }
    in.Unget(c);
    if (!anyDigit)
        return kScanFailed;
    constexpr uint64_t kLongMax = static_cast<uint64_t>(INT64_MAX);
    uint64_t asLong;  // two's complement bits of the saturated long
    if (!negative) {
        asLong = overflow || magnitude > kLongMax ? kLongMax : magnitude;
    } else {
        asLong = overflow || magnitude > kLongMax + 1 ? kLongMax + 1 : (~magnitude + 1);
    }
    value = static_cast<int32_t>(static_cast<uint32_t>(asLong));
    return kScanConverted;
}

// One literal character of a format: no white space is skipped, and a
// character that does not match is given back.
template <class Source>
ScanResult MatchCharCore(Source& in, char expected) {
    const int c = in.Get();
    if (c == kEndOfInput)
        return kScanEof;
    if (c != static_cast<unsigned char>(expected)) {
        in.Unget(c);
        return kScanFailed;
    }
    return kScanConverted;
}

// What kind of text a successful "%f" consumed; it decides the conversion.
enum class FloatText { kDecimal, kHex, kInfinityOrNan };

// "%f" after the leading white space has been skipped; the text consumed on
// success is the number's.
template <class Source>
ScanResult FloatCore(Source& in, FloatText& kind) {
    int c = in.Get();
    if (c == kEndOfInput)
        return kScanEof;
    if (c == '-' || c == '+') {
        c = in.Get();
        if (c == kEndOfInput)
            return kScanFailed;
    }
    // "nan", "inf" and "infinity", any case. A character that breaks the
    // word is consumed with it, as glibc does.
    if (ToLower(c) == 'n') {
        c = in.Get();
        if (c == kEndOfInput || ToLower(c) != 'a')
            return kScanFailed;
        c = in.Get();
        if (c == kEndOfInput || ToLower(c) != 'n')
            return kScanFailed;
        kind = FloatText::kInfinityOrNan;
        return kScanConverted;
    }
    if (ToLower(c) == 'i') {
        c = in.Get();
        if (c == kEndOfInput || ToLower(c) != 'n')
            return kScanFailed;
        c = in.Get();
        if (c == kEndOfInput || ToLower(c) != 'f')
            return kScanFailed;
        c = in.Get();
        if (c != kEndOfInput) {
            if (ToLower(c) == 'i') {
                for (const char* rest = "nity"; *rest != '\0'; ++rest) {
                    c = in.Get();
                    if (c == kEndOfInput || ToLower(c) != *rest)
                        return kScanFailed;
                }
            } else {
                in.Unget(c);
            }
        }
        kind = FloatText::kInfinityOrNan;
        return kScanConverted;
    }

    bool hex = false;
    bool gotDigit = false, gotDot = false, gotExponent = false;
    int expChar = 'e';
    int last = 0;  // the last character taken into the number
    if (c == '0') {
        last = c;
        c = in.Get();
        if (ToLower(c) == 'x') {
            hex = true;
            expChar = 'p';
            last = 'x';
            c = in.Get();
        } else {
            gotDigit = true;
        }
    }
    for (;;) {
        if (IsDigit(c) || (hex && !gotExponent && IsHexDigit(c))) {
            gotDigit = true;
        } else if (gotExponent && last == expChar && (c == '-' || c == '+')) {
        } else if (gotDigit && !gotExponent && ToLower(c) == expChar) {
            gotExponent = gotDot = true;
            c = expChar;
        } else if (c == '.' && !gotDot) {
            gotDot = true;
        } else {
            in.Unget(c);
            break;
        }
        last = c;
        c = in.Get();
        if (c == kEndOfInput)
            break;
    }
    // "0x" alone fails; so does a text without a digit (".", "-."), which
    // strtod cannot convert. "0x." converts (to 0), as strtod reads its "0".
    if (hex) {
        if (last == 'x')
            return kScanFailed;
    } else if (!gotDigit) {
        return kScanFailed;
    }
    kind = hex ? FloatText::kHex : FloatText::kDecimal;
    return kScanConverted;
}

// The float that glibc's "%f" stores for the text of a successful FloatCore:
// strtof's correctly rounded value of its longest valid prefix.
float ConvertFloat(const char* begin, const char* end, FloatText kind);

// The text of a number of any length (a line of a million digits, say), kept
// in memory that does not grow with it, for the same float that strtof would
// give for the whole text. A short text is kept as it is. A long one is
// necessarily a run of digits, and strtof's correctly rounded result depends
// only on
//   - the sign, the first kKeptDigits significant digits, and whether any
//     later digit is not zero (one more digit 1 stands for all of them: no
//     rounding boundary of a float needs that many digits, so the value
//     stays on the same side of every boundary);
//   - where the point stands relative to the first significant digit, and
//     the exponent, both counted without limit but clamped far beyond the
//     float range, where every value is 0 or infinity alike.
// Characters arrive one by one in the order FloatCore consumed them; Convert
// is called only for a text FloatCore accepted.
class LongFloatText {
public:
    // Significant digits kept: 120 decimal ones (a float's rounding
    // boundaries have at most 113) or 32 hexadecimal ones (they need 8).
    static constexpr int kKeptDigits = 120;
    static constexpr int kKeptHexDigits = 32;
    // Texts up to this length are converted as they are.
    static constexpr int kVerbatimLength = 64;

    // `verbatimLength` below kVerbatimLength lets tests send short texts
    // through the digest as well.
    explicit LongFloatText(int verbatimLength = kVerbatimLength) : verbatimLimit_(verbatimLength) {}

    void Put(int c);
    float Convert() const;

private:
    void PutDigit(int value);

    int verbatimLimit_;
    char verbatim_[kVerbatimLength + 1] = {0};
    long long length_ = 0;

    bool negative_ = false;
    bool hex_ = false;
    bool inFraction_ = false;
    bool inExponent_ = false;
    bool exponentNegative_ = false;
    long long mantissaChars_ = 0;  // characters since the sign, to see "0x"
    bool startsWithZero_ = false;
    bool significant_ = false;  // a non-zero mantissa digit has been seen
    char digits_[kKeptDigits] = {0};
    int digitCount_ = 0;
    bool sticky_ = false;  // a digit not kept was not zero
    // The value is 0.d1d2d3... (digits_) times base^pointShift_, base 10 or 16.
    long long pointShift_ = 0;
    long long exponent_ = 0;  // the written exponent's magnitude, saturated
    bool exponentDigits_ = false;
};

// Reads from a string as sscanf does: its terminating NUL is the end of input.
class StringSource {
public:
    explicit StringSource(const char* text) : p_(text) {}
    int Get() {
        if (*p_ == '\0')
            return kEndOfInput;
        return static_cast<unsigned char>(*p_++);
    }
    void Unget(int c) {
        if (c != kEndOfInput)
            --p_;
    }
    void SkipSpace() {
        while (IsSpace(static_cast<unsigned char>(*p_)))
            ++p_;
    }
    const char* position() const { return p_; }
    // Moves on over characters already looked at through position().
    void Skip(long count) { p_ += count; }

private:
    const char* p_;
};

}  // namespace wobble::scan
