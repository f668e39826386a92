#pragma once
// A text file read the way fscanf and fgets read a FILE stream, with glibc's
// rules reproduced exactly but without their per-call cost: the file is read
// in large blocks, and each conversion runs on the block in memory. Only a
// number or token that runs past the block's end (a very long one) goes
// character by character. Memory stays constant whatever the file's size.

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/ScanCore.h"

namespace wobble {

class ScanStream {
public:
    static constexpr int kTokenSize = 256;  // a token has at most 255 characters

    ScanStream();
    ~ScanStream();
    ScanStream(const ScanStream&) = delete;
    ScanStream& operator=(const ScanStream&) = delete;

    // Opens a regular file; anything else (a directory, a missing file)
    // fails with the reason in *error.
    bool Open(const std::string& path, std::string* error);
    // Back to the start of the file, as rewind() does.
    void Rewind();

    // Line (1-based) of the next character to be read.
    int line() const { return line_; }

    // "%255s": skips white space, then reads up to 255 non-blank characters
    // into token, NUL-terminated. False, leaving token as it was, when only
    // white space remains.
    [[gnu::always_inline]] bool ReadToken(char (&token)[kTokenSize]) {
        SkipSpace();
        if (pos_ == end_)
            return false;
        Ensure(kTokenSize);
        const char* p = buffer_.data() + pos_;
        const size_t available = std::min(end_ - pos_, static_cast<size_t>(kTokenSize - 1));
        size_t n = 0;
        while (n < available && !scan::IsSpace(static_cast<unsigned char>(p[n]))) {
            token[n] = p[n];
            ++n;
        }
        token[n] = '\0';
        pos_ += n;
        return true;
    }

    // fgets with a 256-character buffer, result dropped: reads up to and
    // including the next line end, but at most 255 characters.
    [[gnu::always_inline]] void SkipLine() {
        Ensure(kTokenSize);
        const size_t available = std::min(end_ - pos_, static_cast<size_t>(kTokenSize - 1));
        const char* p = buffer_.data() + pos_;
        const void* lineEnd = std::memchr(p, '\n', available);
        if (lineEnd != nullptr) {
            pos_ += static_cast<size_t>(static_cast<const char*>(lineEnd) - p) + 1;
            if (line_ < INT_MAX)
                ++line_;
        } else {
            pos_ += available;
        }
    }

    // "%d" and "%f": skip white space, then convert; the value is written
    // only on success. Ordinary numbers are converted right here; anything
    // else (signs without digits, long digit runs, hexadecimal, infinity,
    // text near the buffer's end) goes through the character-level rules.
    [[gnu::always_inline]] scan::ScanResult ScanInt(int& value) {
        SkipSpace();
        if (end_ - pos_ >= static_cast<size_t>(kFastSpan)) {
            const char* const begin = buffer_.data() + pos_;
            const char* p = begin;
            const bool negative = *p == '-';
            if (negative || *p == '+')
                ++p;
            if (scan::IsDigit(static_cast<unsigned char>(*p))) {
                // Up to nine digits cannot overflow; more take the long road.
                const char* const digits = p;
                int32_t magnitude = 0;
                while (scan::IsDigit(static_cast<unsigned char>(*p)) && p - digits < 9) {
                    magnitude = magnitude * 10 + (*p - '0');
                    ++p;
                }
                if (!scan::IsDigit(static_cast<unsigned char>(*p))) {
                    value = negative ? -magnitude : magnitude;
                    pos_ += static_cast<size_t>(p - begin);
                    return scan::kScanConverted;
                }
            } else if (p == begin) {
                return scan::kScanFailed;  // not a number, and nothing consumed
            }
        }
        return ScanIntSlow(value);
    }

    [[gnu::always_inline]] scan::ScanResult ScanFloat(float& value) {
        SkipSpace();
        if (end_ - pos_ >= static_cast<size_t>(kFastSpan)) {
            const char* const begin = buffer_.data() + pos_;
            // from_chars takes a '-' but no '+'.
            const char* first = begin;
            const char* digits = begin;
            if (*begin == '+') {
                first = digits = begin + 1;
            } else if (*begin == '-') {
                digits = begin + 1;
            }
            // A plain decimal number: a digit (but not "0x") or a point and a digit.
            const bool plain =
                (scan::IsDigit(static_cast<unsigned char>(digits[0])) &&
                 !(digits[0] == '0' && (digits[1] | 0x20) == 'x')) ||
                (digits[0] == '.' && scan::IsDigit(static_cast<unsigned char>(digits[1])));
            if (plain && ShortDecimal(first, begin, value))
                return scan::kScanConverted;
            if (plain) {
                float converted = 0.0f;
                const auto result = std::from_chars(first, buffer_.data() + end_, converted,
                                                    std::chars_format::general);
                // scanf stops where from_chars stops, except before an 'e'
                // that starts no valid exponent: scanf eats it ("1e+x"). A
                // number that ran to the end of what is buffered has no
                // character after it to look at: the span test comes first.
                if (result.ec == std::errc() && result.ptr - begin < kFastSpan &&
                    (*result.ptr | 0x20) != 'e') {
                    value = converted;
                    pos_ += static_cast<size_t>(result.ptr - begin);
                    return scan::kScanConverted;
                }
            }
        }
        return ScanFloatSlow(value);
    }

    // One literal character of a format: no white space is skipped; a
    // character that does not match stays in the stream.
    [[gnu::always_inline]] scan::ScanResult MatchChar(char expected) {
        if (pos_ < end_) {
            if (buffer_[pos_] != expected)
                return scan::kScanFailed;
            ++pos_;
            return scan::kScanConverted;
        }
        return MatchCharSlow(expected);
    }

private:
    static constexpr size_t kBlockSize = size_t{1} << 20;
    // A conversion runs in memory whenever this much is buffered ahead (or
    // the rest of the file is): tokens and fgets pieces always fit.
    static constexpr size_t kLookahead = 4096;

    // Reads from the buffer alone; reports whether it ran into the buffer's end.
    class MemorySource;
    // Read through the stream with refills; the second also collects a
    // float's text in bounded memory.
    class StreamSource;
    class FloatTextSource;

    // Numbers shorter than this are converted in place when this much is buffered.
    static constexpr long kFastSpan = 64;

    // The common "-12.345678": up to 18 digits after any sign, an optional
    // point, no exponent, followed by a character that ends the number for
    // scanf too. Once the fraction's trailing zeros are dropped, its value
    // m / 10^k with m at most 2^24 and k at most 10 is one correctly rounded
    // float division of two exact floats: strtof's result. False, consuming
    // nothing, for anything else.
    bool ShortDecimal(const char* first, const char* begin, float& value) {
        static constexpr float kPowersOfTen[11] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                   1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
        const char* p = first;
        const bool negative = *p == '-';
        if (negative)
            ++p;
        uint64_t mantissa = 0;
        int digits = 0, fraction = 0;
        while (scan::IsDigit(static_cast<unsigned char>(*p))) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
            ++p;
            if (++digits > 18)
                return false;
        }
        if (*p == '.') {
            ++p;
            while (scan::IsDigit(static_cast<unsigned char>(*p))) {
                mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
                ++p;
                ++fraction;
                if (++digits > 18)
                    return false;
            }
        }
        if ((*p | 0x20) == 'e' || *p == '.')
            return false;
        while (fraction > 0 && mantissa % 10 == 0) {
            mantissa /= 10;
            --fraction;
        }
        if (mantissa > (uint64_t{1} << 24) || fraction > 10)
            return false;
        const float magnitude = static_cast<float>(mantissa) / kPowersOfTen[fraction];
        value = negative ? -magnitude : magnitude;
        pos_ += static_cast<size_t>(p - begin);
        return true;
    }

    scan::ScanResult ScanIntSlow(int& value);
    scan::ScanResult ScanFloatSlow(float& value);
    scan::ScanResult MatchCharSlow(char expected);

    int Get();
    void Unget(int c);
    void Refill();
    void Ensure(size_t bytes) {
        if (end_ - pos_ < bytes && !atEnd_)
            Refill();
    }
    [[gnu::always_inline]] void SkipSpace() {
        for (;;) {
            const char* p = buffer_.data() + pos_;
            const char* const end = buffer_.data() + end_;
            while (p != end && scan::IsSpace(static_cast<unsigned char>(*p))) {
                if (*p == '\n' && line_ < INT_MAX)
                    ++line_;
                ++p;
            }
            pos_ = static_cast<size_t>(p - buffer_.data());
            if (p != end || atEnd_)
                break;
            Refill();
        }
        Ensure(kLookahead);
    }
    void CountLines(const char* begin, const char* end);

    int fd_ = -1;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;  // nothing remains in the file beyond end_
    int line_ = 1;
};

}  // namespace wobble
