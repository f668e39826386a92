#pragma once
// While one lives, a fault inside the import library (a memory fault, a bus
// error, an illegal instruction, an arithmetic fault, an abort) does not end
// the process with a bare signal: the handler writes one line naming the file
// ("the import library crashed on the file") and ends the process with exit
// status 1. The library's readers are not ours to mend, and some of them
// trust counts and offsets in a damaged file; the process cannot go on after
// such a fault, but it can say which file did it. Nothing has been written
// yet then. Only the library's own calls are guarded, so that a fault in this
// program's code stays the crash it is.
//
// One guard at a time, on the importing thread.

#include <signal.h>

#include <string>

namespace wobble::builder {

class LibraryCrashGuard {
public:
    // What a crash does once its line is written; async-signal-safe. The
    // default ends the process with exit status 1; a fuzzer waits for its
    // timeout instead.
    using Ending = void (*)();
    static void SetEnding(Ending ending);

    explicit LibraryCrashGuard(const std::string& file);
    // Puts back the handlers there were before.
    ~LibraryCrashGuard();
    LibraryCrashGuard(const LibraryCrashGuard&) = delete;
    LibraryCrashGuard& operator=(const LibraryCrashGuard&) = delete;

    static constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

private:
    struct sigaction previous_[std::size(kSignals)];
    stack_t previousStack_;
};

}  // namespace wobble::builder
