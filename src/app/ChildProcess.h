#pragma once
// A program run beside the main loop: started without a shell, its standard
// input from /dev/null and its standard output and error read through pipes
// that never block the caller, ended (by its process id) when it runs past
// its time limit or when the object goes, and always reaped: no zombies.
//
// The main loop calls Poll once a frame; a caller that may wait calls Wait.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "text/InputError.h"

namespace wobble {

class ChildProcess {
public:
    // One line the child wrote, without its line break.
    struct Line {
        bool fromStderr = false;
        std::string text;
    };

    enum class Ending {
        kRunning,
        kExited,     // exitCode holds its status
        kSignalled,  // killed by signalNumber (a crash, or killed from outside)
        kTimedOut,   // ran past its time limit and was ended
    };

    // A line longer than this is passed on in pieces of this length.
    static constexpr size_t kMaxLine = 4096;

    ChildProcess() = default;
    // Ends a child still running and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` (a path) with `args` (argv[1] on). When it cannot be
    // started, an error naming the program whose message says why.
    Status Start(const std::string& program, const std::vector<std::string>& args,
                 std::chrono::milliseconds timeLimit);

    // Takes what the child has written so far, as whole lines appended to
    // `lines`, and notices its end; never waits. Once the child has ended,
    // the last piece of a line without a break is passed on too.
    void Poll(std::vector<Line>& lines);
    // Like Poll, but first waits up to `timeout` for the child to write or end.
    void Wait(std::vector<Line>& lines, std::chrono::milliseconds timeout);

    // Ends the child at once (SIGKILL) and reaps it; its ending stays
    // kSignalled. Nothing when none runs.
    void Kill();

    bool Started() const { return pid_ > 0 || ending_ != Ending::kRunning; }
    Ending ending() const { return ending_; }
    int exitCode() const { return exitCode_; }
    int signalNumber() const { return signalNumber_; }
    pid_t pid() const { return pid_; }
    // The ending as words: "exited with status 2", "died of signal 11
    // (Segmentation fault)", "ran past its time limit of 300 s".
    std::string EndingText() const;

private:
    void ReadPipe(int& fd, std::string& pending, bool fromStderr, std::vector<Line>& lines);
    void ClosePipes();
    void Reap(bool wait);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string outPending_;
    std::string errPending_;
    Ending ending_ = Ending::kRunning;
    int exitCode_ = 0;
    int signalNumber_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::chrono::milliseconds timeLimit_{0};
};

}  // namespace wobble
