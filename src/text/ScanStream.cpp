#include "text/ScanStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wobble {

namespace scan {

float ConvertFloat(const char* begin, const char* end, FloatText kind) {
#if defined(__cpp_lib_to_chars)
    if (kind == FloatText::kDecimal) {
        // from_chars is correctly rounded, as strtof is, but takes no '+'.
        const char* first = *begin == '+' ? begin + 1 : begin;
        float value = 0.0f;
        const auto result = std::from_chars(first, end, value, std::chars_format::general);
        if (result.ec == std::errc())
            return value;
        // Out of range: strtof's overflow and underflow values are what scanf stores.
    }
#else
    // A C++ library without from_chars for floats (WebAssembly's): strtof
    // converts every text, to the same correctly rounded value.
    (void)kind;
#endif
    // Hexadecimal, infinity, NaN and out-of-range texts are rare: strtof
    // itself converts them, from a NUL-terminated copy.
    const size_t length = static_cast<size_t>(end - begin);
    char small[128];
    if (length < sizeof small) {
        std::memcpy(small, begin, length);
        small[length] = '\0';
        return std::strtof(small, nullptr);
    }
    const std::string copy(begin, length);
    return std::strtof(copy.c_str(), nullptr);
}

namespace {
// Beyond these the value is 0 or infinity whatever the digits: a float's
// decimal exponents lie within -46..39 and its binary ones within -150..128.
constexpr long long kShiftLimit = 1LL << 40;
constexpr long long kExponentLimit = 1LL << 40;
constexpr long long kTextExponentLimit = 100000;
}  // namespace

void LongFloatText::Put(int c) {
    const long long position = length_++;
    if (position < verbatimLimit_)
        verbatim_[position] = static_cast<char>(c);
    if (position == 0 && (c == '+' || c == '-')) {
        negative_ = c == '-';
        return;
    }
    if (inExponent_) {
        if ((c == '+' || c == '-') && !exponentDigits_) {
            exponentNegative_ = c == '-';
        } else if (IsDigit(c)) {
            exponentDigits_ = true;
            exponent_ = std::min(exponent_ * 10 + (c - '0'), kExponentLimit);
        }
        return;
    }
    const long long index = mantissaChars_++;
    if (index == 0)
        startsWithZero_ = c == '0';
    if (index == 1 && startsWithZero_ && ToLower(c) == 'x') {
        // "0x": the zero was the prefix's, and it left no trace as a leading zero.
        hex_ = true;
        return;
    }
    if (IsDigit(c)) {
        PutDigit(c - '0');
    } else if (hex_ && IsHexDigit(c)) {
        PutDigit(ToLower(c) - 'a' + 10);
    } else if (c == '.') {
        inFraction_ = true;
    } else if (ToLower(c) == (hex_ ? 'p' : 'e')) {
        inExponent_ = true;
    }
    // Anything else belongs to "nan" or "inf", which only short texts hold.
}

void LongFloatText::PutDigit(int value) {
    if (!significant_ && value == 0) {
        if (inFraction_ && pointShift_ > -kShiftLimit)
            --pointShift_;
        return;
    }
    significant_ = true;
    if (!inFraction_ && pointShift_ < kShiftLimit)
        ++pointShift_;
    if (digitCount_ < (hex_ ? kKeptHexDigits : kKeptDigits)) {
        digits_[digitCount_++] = "0123456789abcdef"[value];
    } else if (value != 0) {
        sticky_ = true;
    }
}

float LongFloatText::Convert() const {
    char text[kKeptDigits + 48];
    if (length_ <= verbatimLimit_) {
        std::memcpy(text, verbatim_, static_cast<size_t>(length_));
        text[length_] = '\0';
        return std::strtof(text, nullptr);
    }
    char* p = text;
    if (negative_)
        *p++ = '-';
    if (!significant_) {
        *p++ = '0';
        *p = '\0';
        return std::strtof(text, nullptr);
    }
    const long long written = !exponentDigits_ ? 0 : exponentNegative_ ? -exponent_ : exponent_;
    long long exponent = (hex_ ? 4 * pointShift_ : pointShift_) + written;
    exponent = std::clamp(exponent, -kTextExponentLimit, kTextExponentLimit);
    p = std::copy_n(hex_ ? "0x0." : "0.", hex_ ? 4 : 2, p);
    p = std::copy_n(digits_, digitCount_, p);
    if (sticky_)
        *p++ = '1';
    std::snprintf(p, static_cast<size_t>(text + sizeof text - p), "%c%lld", hex_ ? 'p' : 'e',
                  exponent);
    return std::strtof(text, nullptr);
}

}  // namespace scan

class ScanStream::MemorySource {
public:
    MemorySource(const char* begin, const char* end) : p_(begin), end_(end) {}
    int Get() {
        if (p_ == end_) {
            ranOut_ = true;
            return scan::kEndOfInput;
        }
        return static_cast<unsigned char>(*p_++);
    }
    void Unget(int c) {
        if (c != scan::kEndOfInput)
            --p_;
    }
    const char* position() const { return p_; }
    bool ranOut() const { return ranOut_; }

private:
    const char* p_;
    const char* end_;
    bool ranOut_ = false;
};

// Reads through the stream with refills: for numbers longer than the lookahead.
class ScanStream::StreamSource {
public:
    explicit StreamSource(ScanStream& stream) : stream_(stream) {}
    int Get() { return stream_.Get(); }
    void Unget(int c) { stream_.Unget(c); }

private:
    ScanStream& stream_;
};

// The same, handing the characters consumed to a LongFloatText, so that a
// number of any length is converted in constant memory. A character is handed
// on only once the next one is asked for, since FloatCore may give the last
// one back. It also counts the line ends consumed, which only a failed "nan"
// or "inf" can do.
class ScanStream::FloatTextSource {
public:
    explicit FloatTextSource(ScanStream& stream) : stream_(stream) {}
    int Get() {
        const int c = stream_.Get();
        if (c == scan::kEndOfInput)
            return c;
        Flush();
        pending_ = c;
        return c;
    }
    void Unget(int c) {
        if (c == scan::kEndOfInput)
            return;
        stream_.Unget(c);
        pending_ = scan::kEndOfInput;
    }
    // Hands on the last character read; call once FloatCore has returned.
    void Flush() {
        if (pending_ == scan::kEndOfInput)
            return;
        text_.Put(pending_);
        if (pending_ == '\n')
            ++lineEnds_;
        pending_ = scan::kEndOfInput;
    }
    const scan::LongFloatText& text() const { return text_; }
    int lineEnds() const { return lineEnds_; }

private:
    ScanStream& stream_;
    scan::LongFloatText text_;
    int pending_ = scan::kEndOfInput;
    int lineEnds_ = 0;
};

namespace {
// The buffer of the last stream to go on this thread, kept for the next one:
// a file read after another costs no fresh memory to be found and cleared
// (under the sanitizers, every allocation is fresh pages).
thread_local std::vector<char> spareBuffer;
}  // namespace

ScanStream::ScanStream() = default;

ScanStream::~ScanStream() {
    if (fd_ >= 0)
        ::close(fd_);
    if (buffer_.size() > spareBuffer.size())
        spareBuffer.swap(buffer_);
}

bool ScanStream::Open(const std::string& path, std::string* error) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        if (error != nullptr)
            *error = std::strerror(errno);
        return false;
    }
    struct stat info;
    const bool statted = ::fstat(fd_, &info) == 0;
    if (!statted || !S_ISREG(info.st_mode)) {
        if (error != nullptr) {
            *error = !statted                ? std::strerror(errno)
                     : S_ISDIR(info.st_mode) ? "is a directory"
                                             : "is not a regular file";
        }
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    // A block, or what the file holds if that is less (with room for the
    // lookahead should it grow meanwhile): a small file costs what it reads,
    // not the clearing of a block it cannot fill.
    const size_t fileSize = static_cast<size_t>(std::max<off_t>(info.st_size, 0));
    size_ = static_cast<long long>(fileSize);
    capacity_ = std::clamp(fileSize, kLookahead, kBlockSize) + kLookahead;
    if (buffer_.empty())
        buffer_.swap(spareBuffer);
    if (buffer_.size() < capacity_ + kFastSpan)
        buffer_.resize(capacity_ + kFastSpan);
    data_ = buffer_.data();
    Rewind();
    return true;
}

void ScanStream::Rewind() {
    (void)SeekTo(0, 1);
}

bool ScanStream::SeekTo(long long offset, int line) {
    pos_ = end_ = 0;
    atEnd_ = fd_ < 0 || offset < 0 || ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != offset;
    base_ = offset;
    line_ = line;
    if (data_ != nullptr)
        std::memset(data_, 0, kFastSpan);
    return !atEnd_;
}

void ScanStream::Refill() {
    // The character just before pos_ stays in the buffer, so that the one
    // Unget that may follow a Get still finds it.
    const size_t keep = pos_ > 0 ? 1 : 0;
    const size_t from = pos_ - keep;
    std::memmove(data_, data_ + from, end_ - from);
    end_ -= from;
    base_ += static_cast<long long>(from);
    pos_ = keep;
    while (end_ < capacity_ && !atEnd_) {
        const ssize_t got = ::read(fd_, data_ + end_, capacity_ - end_);
        if (got < 0 && errno == EINTR)
            continue;
        // A read error ends the input, as it ends fscanf's.
        if (got <= 0) {
            atEnd_ = true;
            break;
        }
        end_ += static_cast<size_t>(got);
    }
    std::memset(data_ + end_, 0, kFastSpan);
}

int ScanStream::Get() {
    if (pos_ == end_) {
        if (atEnd_)
            return scan::kEndOfInput;
        Refill();
        if (pos_ == end_)
            return scan::kEndOfInput;
    }
    return static_cast<unsigned char>(data_[pos_++]);
}

void ScanStream::Unget(int c) {
    if (c != scan::kEndOfInput)
        --pos_;
}

void ScanStream::CountLines(const char* begin, const char* end) {
    // Only a failed "nan"/"inf" eats a character that may end a line.
    CountLineEnds(std::count(begin, end, '\n'));
}

const char* ScanStream::PlainDecimal(const char* begin, const char* end, float& value) {
#if !defined(__cpp_lib_to_chars)
    // A C++ library without from_chars for floats (WebAssembly's): the general
    // path converts every number, to the same value.
    (void)begin;
    (void)end;
    (void)value;
    return nullptr;
#else
    // from_chars takes a '-' but no '+'.
    const char* first = begin;
    const char* digits = begin;
    if (*begin == '+') {
        first = digits = begin + 1;
    } else if (*begin == '-') {
        digits = begin + 1;
    }
    // A plain decimal number: a digit (but not "0x") or a point and a digit.
    const bool plain = (scan::IsDigit(static_cast<unsigned char>(digits[0])) &&
                        !(digits[0] == '0' && (digits[1] | 0x20) == 'x')) ||
                       (digits[0] == '.' && scan::IsDigit(static_cast<unsigned char>(digits[1])));
    if (!plain)
        return nullptr;
    float converted = 0.0f;
    const auto result = std::from_chars(first, end, converted, std::chars_format::general);
    // scanf stops where from_chars stops, except before an 'e' that starts no
    // valid exponent: scanf eats it ("1e+x"). A number that runs on to the end
    // of what is buffered may go on beyond it: the span test comes first.
    if (result.ec != std::errc() || result.ptr - begin >= kFastSpan || (*result.ptr | 0x20) == 'e')
        return nullptr;
    value = converted;
    return result.ptr;
#endif
}

scan::ScanResult ScanStream::ScanIntSlow(int& value) {
    if (pos_ == end_)
        return scan::kScanEof;
    const char* begin = data_ + pos_;
    MemorySource memory(begin, data_ + end_);
    int converted = 0;
    scan::ScanResult result = scan::IntCore(memory, converted);
    if (memory.ranOut() && !atEnd_) {
        // A run of digits longer than the lookahead: read on through refills.
        StreamSource stream(*this);
        result = scan::IntCore(stream, converted);
    } else {
        pos_ += static_cast<size_t>(memory.position() - begin);
    }
    if (result == scan::kScanConverted)
        value = converted;
    return result;
}

scan::ScanResult ScanStream::ScanFloatSlow(float& value) {
    if (pos_ == end_)
        return scan::kScanEof;
    const char* begin = data_ + pos_;
    if (const char* end = PlainDecimal(begin, data_ + end_, value)) {
        pos_ += static_cast<size_t>(end - begin);
        return scan::kScanConverted;
    }
    MemorySource memory(begin, data_ + end_);
    scan::FloatText kind = scan::FloatText::kDecimal;
    scan::ScanResult result = scan::FloatCore(memory, kind);
    if (memory.ranOut() && !atEnd_) {
        FloatTextSource stream(*this);
        result = scan::FloatCore(stream, kind);
        stream.Flush();
        if (result == scan::kScanConverted) {
            value = stream.text().Convert();
        } else {
            CountLineEnds(stream.lineEnds());
        }
        return result;
    }
    const char* end = memory.position();
    pos_ += static_cast<size_t>(end - begin);
    if (result == scan::kScanConverted) {
        value = scan::ConvertFloat(begin, end, kind);
    } else {
        CountLines(begin, end);
    }
    return result;
}

scan::ScanResult ScanStream::MatchCharSlow(char expected) {
    StreamSource stream(*this);
    return scan::MatchCharCore(stream, expected);
}

}  // namespace wobble
