#pragma once
// The console lines of the readers and loaders. They go straight to standard
// output and standard error, unless the calling thread records them: a
// thread that loads ahead of its turn keeps them in a ConsoleTranscript, and
// the transcript is played when their turn comes, so that the console reads
// exactly as if the loading had happened then.

#include <string>
#include <vector>

namespace wobble {

// printf to standard output, or into the calling thread's recording.
void ConsoleOut(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same to standard error; text written as it is.
void ConsoleErr(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ConsoleErrText(const char* text, size_t length);
// fflush(stdout), or its place in the recording.
void ConsoleFlushOut();

// Console output recorded in the order it was made.
class ConsoleTranscript {
public:
    // Writes it all, in order, to standard output and standard error, with
    // the same calls it was recorded from (so buffering works out the same).
    void Play() const;

private:
    friend void AddToTranscript(ConsoleTranscript&, int, const char*, size_t);
    struct Entry {
        int stream;  // 1 standard output, 2 standard error, 0 a flush of standard output
        std::string text;
    };
    std::vector<Entry> entries_;
};

// While it lives, the calling thread's console output goes into `transcript`.
class ConsoleRecording {
public:
    explicit ConsoleRecording(ConsoleTranscript& transcript);
    ~ConsoleRecording();
    ConsoleRecording(const ConsoleRecording&) = delete;
    ConsoleRecording& operator=(const ConsoleRecording&) = delete;

private:
    ConsoleTranscript* previous_;
};

}  // namespace wobble
