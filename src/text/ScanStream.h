#pragma once
// A text file read the way fscanf and fgets read a FILE stream, with glibc's
// rules reproduced exactly but without their per-call cost: the file is read
// in large blocks, and each conversion runs on the block in memory. Only a
// number or token that runs past the block's end (a very long one) goes
// character by character. Memory stays constant whatever the file's size.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "text/ScanCore.h"

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
    // To byte `offset` of the file, counting lines from `line` there: where
    // another reading of the same file found a token at the start of that
    // line. False (and nothing left to read) when the file cannot seek there.
    bool SeekTo(long long offset, int line);
    // The file offset of `p`, which Text() or PeekToken returned.
    long long OffsetOf(const char* p) const { return base_ + static_cast<long long>(p - data_); }
    // The file's size when it was opened.
    long long size() const { return size_; }

    // Line (1-based) of the next character to be read.
    int line() const { return line_; }

    // After SkipSpace, reading may look this far ahead of the read position
    // without checks: the file's text is buffered at least this far, or to
    // the file's end, which zero bytes follow.
    static constexpr long kFastSpan = 64;

    // Skips white space and returns the read position, from which kFastSpan
    // bytes can be read. Only white space remained when it equals End().
    [[gnu::always_inline]] const char* Text() {
        SkipSpace();
        return data_ + pos_;
    }
    const char* End() const { return data_ + end_; }
    // Moves the read position on to `to`, which Text() returned or which lies
    // within kFastSpan past it, over characters that hold no line end.
    void Advance(const char* to) { pos_ = static_cast<size_t>(to - data_); }

    // "%255s" without the copy: skips white space and returns the token's
    // first character with its length (at most 255 characters), or nullptr
    // when only white space remains. The token stays in the stream until
    // Advance passes it; any other call may move the buffer.
    [[gnu::always_inline]] const char* PeekToken(size_t& length) {
        SkipSpace();  // buffers a whole token's span, kLookahead, or the rest of the file
        if (pos_ == end_)
            return nullptr;
        const char* p = data_ + pos_;
        const size_t available = std::min(end_ - pos_, static_cast<size_t>(kTokenSize - 1));
        size_t n = 1;  // the first is not white space
        while (n < available && !scan::IsSpace(static_cast<unsigned char>(p[n])))
            ++n;
        length = n;
        return p;
    }

    // "%255s": skips white space, then reads up to 255 non-blank characters
    // into token, NUL-terminated. False, leaving token as it was, when only
    // white space remains.
    bool ReadToken(char (&token)[kTokenSize]) {
        size_t length = 0;
        const char* p = PeekToken(length);
        if (p == nullptr)
            return false;
        std::memcpy(token, p, length);
        token[length] = '\0';
        pos_ += length;
        return true;
    }

    // fgets with a 256-character buffer, result dropped: reads up to and
    // including the next line end, but at most 255 characters.
    [[gnu::always_inline]] void SkipLine() {
        Ensure(kTokenSize);
        const size_t available = std::min(end_ - pos_, static_cast<size_t>(kTokenSize - 1));
        const char* p = data_ + pos_;
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
    // else (signs without digits, long digit runs, exponents, hexadecimal,
    // infinity) goes through the character-level rules.
    [[gnu::always_inline]] scan::ScanResult ScanInt(int& value) {
        SkipSpace();
        const char* const begin = data_ + pos_;
        if (const char* end = scan::ShortInt(begin, value)) {
            pos_ += static_cast<size_t>(end - begin);
            return scan::kScanConverted;
        }
        const unsigned char c = static_cast<unsigned char>(*begin);
        if (!scan::IsDigit(c) && c != '-' && c != '+')  // nothing is consumed
            return pos_ == end_ ? scan::kScanEof : scan::kScanFailed;
        return ScanIntSlow(value);
    }

    [[gnu::always_inline]] scan::ScanResult ScanFloat(float& value) {
        SkipSpace();
        const char* const begin = data_ + pos_;
        if (const char* end = ShortDecimal(begin, value)) {
            pos_ += static_cast<size_t>(end - begin);
            return scan::kScanConverted;
        }
        return ScanFloatSlow(value);
    }

    // One literal character of a format: no white space is skipped; a
    // character that does not match stays in the stream.
    [[gnu::always_inline]] scan::ScanResult MatchChar(char expected) {
        if (pos_ < end_) {
            if (data_[pos_] != expected)
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
    static_assert(kLookahead >= kTokenSize);

    // Reads from the buffer alone; reports whether it ran into the buffer's end.
    class MemorySource;
    // Read through the stream with refills; the second also collects a
    // float's text in bounded memory.
    class StreamSource;
    class FloatTextSource;

    // Adds the digits from `p` to `mantissa` and `count` while count stays
    // below 16 (a 16th is taken only to see that there is one); returns
    // where they end. Unrolled as in scan::ShortInt.
    [[gnu::always_inline]] static const char* TakeDigits(const char* p, uint64_t& mantissa,
                                                         int& count) {
        int n = count;
#pragma GCC unroll 16
        for (; n < 16; ++n) {
            const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
            if (digit > 9)
                break;
            mantissa = mantissa * 10 + digit;
            ++p;
        }
        count = n;
        return p;
    }

    // The common "-12.345678": an optional sign, then at most 15 digits with
    // an optional point among or after them, no exponent, followed by a
    // character that ends the number for scanf too. Its value is m / 10^k
    // with m below 2^53 and k at most 15, both exact doubles, so the double
    // quotient is correctly rounded. Rounding that double to float gives
    // strtof's correctly rounded float unless the double lies exactly
    // halfway between two floats (a double cannot cross such a midpoint,
    // which is itself a double, only land on it); then, and for anything
    // else, nullptr, and the slow path decides.
    [[gnu::always_inline]] static const char* ShortDecimal(const char* p, float& value) {
        static constexpr double kPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const bool negative = *p == '-';
        if (negative || *p == '+')
            ++p;
        const char* const digits = p;
        uint64_t mantissa = 0;
        int count = 0;
        p = TakeDigits(p, mantissa, count);
        const char* const integerEnd = p;
        int fraction = 0;
        if (*p == '.') {
            p = TakeDigits(p + 1, mantissa, count);
            fraction = count - static_cast<int>(integerEnd - digits);
        }
        // An exponent, or the "0x" of a hexadecimal number, continues the text.
        const int next = *p | 0x20;
        if (count == 0 || count > 15 || next == 'e' ||
            (next == 'x' && integerEnd - digits == 1 && *digits == '0' && integerEnd == p))
            return nullptr;
        const double quotient = static_cast<double>(mantissa) / kPowersOfTen[fraction];
        // The 29 bits a double holds below a float's last bit: 1000...0 is a midpoint.
        uint64_t bits;
        std::memcpy(&bits, &quotient, sizeof bits);
        if ((bits & 0x1fffffffu) == 0x10000000u)
            return nullptr;
        const float magnitude = static_cast<float>(quotient);
        value = negative ? -magnitude : magnitude;
        return p;
    }

    // A decimal number ShortDecimal does not take (long, or with an
    // exponent) converted by from_chars, when it ends where scanf's does.
    static const char* PlainDecimal(const char* begin, const char* end, float& value);
    scan::ScanResult ScanIntSlow(int& value);
    scan::ScanResult ScanFloatSlow(float& value);
    scan::ScanResult MatchCharSlow(char expected);

    int Get();
    void Unget(int c);
    // Moves the read position to the start of the buffered text, keeping the
    // character before it, and buffers as much as fits (or the rest).
    void Refill();
    void Ensure(size_t bytes) {
        if (end_ - pos_ < bytes && !atEnd_)
            Refill();
    }
    [[gnu::always_inline]] void SkipSpace() {
        for (;;) {
            const char* p = data_ + pos_;
            const char* const end = data_ + end_;
            int lines = 0;
            while (p != end && scan::IsSpace(static_cast<unsigned char>(*p))) {
                lines += *p == '\n';
                ++p;
            }
            pos_ = static_cast<size_t>(p - data_);
            if (lines != 0)
                CountLineEnds(lines);
            if (p != end || atEnd_)
                break;
            Refill();
        }
        Ensure(kLookahead);
    }
    void CountLineEnds(long long count) {
        line_ = static_cast<int>(std::min<long long>(line_ + count, INT_MAX));
    }
    void CountLines(const char* begin, const char* end);

    int fd_ = -1;
    // The buffered text: data_[0, end_) is the file's from some offset on,
    // followed by kFastSpan zero bytes; pos_ is the read position. At most
    // capacity_ bytes are buffered: kLookahead more than a block, or than
    // the file's size when that is smaller.
    std::vector<char> buffer_;
    size_t capacity_ = 0;
    char* data_ = nullptr;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;  // nothing remains in the file beyond end_
    int line_ = 1;
    long long base_ = 0;  // the file offset of data_[0]
    long long size_ = 0;
};

}  // namespace wobble
