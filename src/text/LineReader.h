#pragma once
// Reads a text file the way fgets with a 256-character buffer does: each
// piece is at most 255 characters and ends after its line break, so a longer
// line arrives in several pieces. It also counts physical lines, so that an
// error can name the line a piece came from, and it reads in large blocks so
// that memory stays constant whatever the file's size.

#include <cstddef>
#include <cstdio>
#include <string>

namespace wobble {

class LineReader {
public:
    static constexpr int kBufferSize = 256;

    // Opens `path` for reading. A path that does not name a regular file
    // (a directory, say) counts as not opened; error() says why.
    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& error() const { return error_; }
    // Size of the file in bytes when opened.
    long long FileSize() const { return fileSize_; }

    // Reads the next piece. Returns false, leaving the previous piece in
    // place, when the file has nothing more (as fgets returns NULL).
    bool Next();

    // The current piece as a C string. A NUL byte inside the file ends the
    // string early, as it would for any C string function.
    const char* text() const { return piece_; }
    // Bytes in the current piece, counting any NUL bytes inside it.
    size_t length() const { return pieceLength_; }
    // True once a read has run into the end of the file (feof).
    bool AtEnd() const { return atEnd_; }
    // Physical line (1-based) on which the current piece starts.
    int lineNumber() const { return pieceLine_; }
    // True when the current piece ends with a line break.
    bool EndsLine() const { return endsLine_; }

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::string error_;
    long long fileSize_ = 0;
    char block_[1 << 16];
    size_t blockPos_ = 0;
    size_t blockLen_ = 0;
    char piece_[kBufferSize] = {0};
    bool atEnd_ = false;
    size_t pieceLength_ = 0;
    bool endsLine_ = false;
    int pieceLine_ = 0;
    int nextLine_ = 1;
};

}  // namespace wobble
