#include "common/LineReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <vector>

namespace wobble {

namespace {
// Line numbers stop counting here rather than overflow on a file of billions of lines.
constexpr int kMaxLine = INT_MAX;
int g_inputErrorCount = 0;
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

namespace {

// Error lines quote the input (a key name, a token, a file name), and a
// hostile file may hold control characters: an escape sequence would move the
// terminal's cursor or recolour it, a carriage return would hide the line.
// Each control character is written as \xNN instead; other bytes, UTF-8
// names included, go out as they are.
void WriteEscaped(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) {
            std::fprintf(stderr, "\\x%02x", c);
        } else {
            std::fputc(c, stderr);
        }
    }
}

}  // namespace

void ReportInputError(const std::string& file, int line, const char* format, ...) {
    ++g_inputErrorCount;
    std::fflush(stdout);  // keep the console's lines in the order they happened
    WriteEscaped(file.data(), file.size());
    if (line > 0) {
        std::fprintf(stderr, ":%d: ", line);
    } else {
        std::fputs(": ", stderr);
    }
    char shortText[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(shortText, sizeof shortText, format, args);
    va_end(args);
    if (length >= static_cast<int>(sizeof shortText)) {
        std::vector<char> longText(static_cast<size_t>(length) + 1);
        std::vsnprintf(longText.data(), longText.size(), format, again);
        WriteEscaped(longText.data(), static_cast<size_t>(length));
    } else if (length > 0) {
        WriteEscaped(shortText, static_cast<size_t>(length));
    }
    va_end(again);
    std::fputc('\n', stderr);
}

int InputErrorCount() {
    return g_inputErrorCount;
}

}  // namespace wobble
