#include "text/LineReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace wobble {

namespace {
// Line numbers stop counting here rather than overflow on a file of billions of lines.
constexpr int kMaxLine = INT_MAX;
}  // namespace

LineReader::LineReader(const std::string& path) {
    file_ = std::fopen(path.c_str(), "r");
    if (file_ == nullptr) {
        error_ = std::strerror(errno);
        return;
    }
    // Zeroed, so that a failed fstat reads as "not a regular file" rather than
    // leaving the mode undefined.
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        error_ = S_ISDIR(info.st_mode) ? "is a directory" : "is not a regular file";
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    fileSize_ = static_cast<long long>(info.st_size);
}

LineReader::~LineReader() {
    if (file_ != nullptr)
        std::fclose(file_);
}

bool LineReader::Fill() {
    if (file_ == nullptr)
        return false;
    blockLen_ = std::fread(block_, 1, sizeof block_, file_);
    blockPos_ = 0;
    return blockLen_ > 0;
}

bool LineReader::Next() {
    if (atEnd_)
        return false;
    size_t n = 0;
    bool sawBreak = false;
    // Whole runs at a time: a file of gigabytes without a line break is
    // skipped at the speed of memchr, not a character at a time.
    while (n < kBufferSize - 1) {
        if (blockPos_ == blockLen_ && !Fill()) {
            atEnd_ = true;
            break;
        }
        const char* const from = block_ + blockPos_;
        const size_t room = std::min(kBufferSize - 1 - n, blockLen_ - blockPos_);
        const void* const lineBreak = std::memchr(from, '\n', room);
        const size_t take =
            lineBreak != nullptr
                ? static_cast<size_t>(static_cast<const char*>(lineBreak) - from) + 1
                : room;
        std::memcpy(piece_ + n, from, take);
        n += take;
        blockPos_ += take;
        if (lineBreak != nullptr) {
            sawBreak = true;
            break;
        }
    }
    if (n == 0)
        return false;  // nothing read: the previous piece stays
    piece_[n] = '\0';
    pieceLength_ = n;
    pieceLine_ = nextLine_;
    endsLine_ = sawBreak;
    if (sawBreak && nextLine_ < kMaxLine)
        ++nextLine_;
    return true;
}

}  // namespace wobble
