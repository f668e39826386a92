#include "mesh/ScanStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace wobble {

namespace scan {

float ConvertFloat(const char* begin, const char* end, FloatText kind) {
    if (kind == FloatText::kDecimal) {
        // from_chars is correctly rounded, as strtof is, but takes no '+'.
        const char* first = *begin == '+' ? begin + 1 : begin;
        float value = 0.0f;
        const auto result = std::from_chars(first, end, value, std::chars_format::general);
        if (result.ec == std::errc())
            return value;
        // Out of range: strtof's overflow and underflow values are what scanf stores.
    }
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

class ScanStream::RecordingSource {
public:
    explicit RecordingSource(ScanStream& stream) : stream_(stream) { stream_.record_.clear(); }
    int Get() {
        const int c = stream_.Get();
        if (c != scan::kEndOfInput)
            stream_.record_.push_back(static_cast<char>(c));
        return c;
    }
    void Unget(int c) {
        if (c == scan::kEndOfInput)
            return;
        stream_.Unget(c);
        stream_.record_.pop_back();
    }

private:
    ScanStream& stream_;
};

ScanStream::ScanStream() = default;

ScanStream::~ScanStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ScanStream::Open(const std::string& path, std::string* error) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        if (error != nullptr)
            *error = std::strerror(errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error != nullptr) {
            *error = S_ISDIR(info.st_mode) ? "is a directory" : "is not a regular file";
        }
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    buffer_.resize(kBlockSize + kLookahead);
    Rewind();
    return true;
}

void ScanStream::Rewind() {
    pos_ = end_ = 0;
    atEnd_ = fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0;
    line_ = 1;
}

void ScanStream::Refill() {
    // The character just before pos_ stays in the buffer, so that the one
    // Unget that may follow a Get still finds it.
    const size_t keep = pos_ > 0 ? 1 : 0;
    const size_t from = pos_ - keep;
    std::memmove(buffer_.data(), buffer_.data() + from, end_ - from);
    end_ -= from;
    pos_ = keep;
    while (end_ < buffer_.size() && !atEnd_) {
        const ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (got < 0 && errno == EINTR)
            continue;
        // A read error ends the input, as it ends fscanf's.
        if (got <= 0) {
            atEnd_ = true;
            break;
        }
        end_ += static_cast<size_t>(got);
    }
}

int ScanStream::Get() {
    if (pos_ == end_) {
        if (atEnd_)
            return scan::kEndOfInput;
        Refill();
        if (pos_ == end_)
            return scan::kEndOfInput;
    }
    return static_cast<unsigned char>(buffer_[pos_++]);
}

void ScanStream::Unget(int c) {
    if (c != scan::kEndOfInput)
        --pos_;
}

void ScanStream::CountLines(const char* begin, const char* end) {
    // Only a failed "nan"/"inf" eats a character that may end a line.
    for (const char* p = begin; p != end; ++p) {
        if (*p == '\n' && line_ < INT_MAX)
            ++line_;
    }
}

scan::ScanResult ScanStream::ScanIntSlow(int& value) {
    if (pos_ == end_)
        return scan::kScanEof;
    const char* begin = buffer_.data() + pos_;
    MemorySource memory(begin, buffer_.data() + end_);
    int converted = 0;
    scan::ScanResult result = scan::IntCore(memory, converted);
    if (memory.ranOut() && !atEnd_) {
        // A run of digits longer than the lookahead: read on through refills.
        RecordingSource stream(*this);
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
    const char* begin = buffer_.data() + pos_;
    MemorySource memory(begin, buffer_.data() + end_);
    scan::FloatText kind = scan::FloatText::kDecimal;
    scan::ScanResult result = scan::FloatCore(memory, kind);
    if (memory.ranOut() && !atEnd_) {
        RecordingSource stream(*this);
        result = scan::FloatCore(stream, kind);
        const char* text = record_.data();
        if (result == scan::kScanConverted) {
            value = scan::ConvertFloat(text, text + record_.size(), kind);
        } else {
            CountLines(text, text + record_.size());
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
    const int c = Get();
    if (c == scan::kEndOfInput)
        return scan::kScanEof;
    if (c != static_cast<unsigned char>(expected)) {
        Unget(c);
        return scan::kScanFailed;
    }
    return scan::kScanConverted;
}

}  // namespace wobble
