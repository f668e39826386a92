#pragma once
// A text file read the way fscanf and fgets read a FILE stream, with glibc's
// rules reproduced exactly but without their per-call cost: the file is read
// in large blocks, and each conversion runs on the block in memory. Only a
// number or token that runs past the block's end (a very long one) goes
// character by character. Memory stays constant whatever the file's size.

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
    bool ReadToken(char (&token)[kTokenSize]);
    // fgets with a 256-character buffer, result dropped: reads up to and
    // including the next line end, but at most 255 characters.
    void SkipLine();
    // "%d" and "%f": skip white space, then convert; the value is written
    // only on success.
    scan::ScanResult ScanInt(int& value);
    scan::ScanResult ScanFloat(float& value);
    // One literal character of a format: no white space is skipped; a
    // character that does not match stays in the stream.
    scan::ScanResult MatchChar(char expected);

private:
    static constexpr size_t kBlockSize = size_t{1} << 20;
    // A conversion runs in memory whenever this much is buffered ahead (or
    // the rest of the file is): tokens and fgets pieces always fit.
    static constexpr size_t kLookahead = 4096;

    // Reads from the buffer alone; reports whether it ran into the buffer's end.
    class MemorySource;
    // Reads through the stream with refills, recording what it consumed.
    class RecordingSource;

    int Get();
    void Unget(int c);
    void Refill();
    void Ensure(size_t bytes);
    void SkipSpace();
    void CountLines(const char* begin, const char* end);

    int fd_ = -1;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;  // nothing remains in the file beyond end_
    int line_ = 1;
    std::string record_;  // scratch for numbers longer than the lookahead
};

}  // namespace wobble
