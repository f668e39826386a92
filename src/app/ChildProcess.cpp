#include "app/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace wobble {

namespace {

// Read at most this much of each pipe per Poll, so that a child that writes
// without pause cannot hold up a frame.
constexpr size_t kMaxReadPerPoll = 1 << 20;

}  // namespace

ChildProcess::~ChildProcess() {
    Kill();
    ClosePipes();
}

Status ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                           std::chrono::milliseconds timeLimit) {
    Kill();
    ClosePipes();
    outPending_.clear();
    errPending_.clear();
    ending_ = Ending::kRunning;
    exitCode_ = 0;
    signalNumber_ = 0;

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return InputError{program, 0, std::string("no pipe: ") + std::strerror(errno)};
    if (pipe2(err, O_CLOEXEC) != 0) {
        const int why = errno;
        close(out[0]);
        close(out[1]);
        return InputError{program, 0, std::string("no pipe: ") + std::strerror(why)};
    }
    // The child gets /dev/null, the two pipes and nothing else the program
    // holds open (a video's pipe to ffmpeg must not stay open in it).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
#if !defined(__EMSCRIPTEN__)  // WebAssembly's C library spawns nothing and lacks it
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        return InputError{program, 0, "cannot run " + program + ": " + std::strerror(spawned)};
    }
    pid_ = pid;
    outFd_ = out[0];
    errFd_ = err[0];
    fcntl(outFd_, F_SETFL, fcntl(outFd_, F_GETFL) | O_NONBLOCK);
    fcntl(errFd_, F_SETFL, fcntl(errFd_, F_GETFL) | O_NONBLOCK);
    timeLimit_ = timeLimit;
    deadline_ = std::chrono::steady_clock::now() + timeLimit;
    return Done{};
}

void ChildProcess::ReadPipe(int& fd, std::string& pending, bool fromStderr,
                            std::vector<Line>& lines) {
    char buffer[65536];
    size_t readNow = 0;
    while (fd >= 0 && readNow < kMaxReadPerPoll) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // 0: the child has closed its end; EAGAIN: nothing more for now.
            if (n == 0 || errno != EAGAIN) {
                close(fd);
                fd = -1;
            }
            break;
        }
        readNow += static_cast<size_t>(n);
        for (ssize_t k = 0; k < n; ++k) {
            if (buffer[k] == '\n') {
                lines.push_back({fromStderr, pending});
                pending.clear();
            } else {
                pending += buffer[k];
                if (pending.size() == kMaxLine) {
                    lines.push_back({fromStderr, pending});
                    pending.clear();
                }
            }
        }
    }
}

void ChildProcess::ClosePipes() {
    for (int* fd : {&outFd_, &errFd_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

void ChildProcess::Reap(bool wait) {
    if (pid_ <= 0)
        return;
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(pid_, &status, wait ? 0 : WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0)
        return;
    pid_ = -1;
    if (reaped < 0) {
        // Reaped by someone else: its status is lost.
        ending_ = Ending::kSignalled;
        return;
    }
    if (WIFEXITED(status)) {
        ending_ = Ending::kExited;
        exitCode_ = WEXITSTATUS(status);
    } else {
        ending_ = Ending::kSignalled;
        signalNumber_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
}

void ChildProcess::Poll(std::vector<Line>& lines) {
    ReadPipe(outFd_, outPending_, false, lines);
    ReadPipe(errFd_, errPending_, true, lines);
    if (pid_ > 0 && std::chrono::steady_clock::now() >= deadline_) {
        kill(pid_, SIGKILL);
        Reap(true);
        ending_ = Ending::kTimedOut;
    } else {
        Reap(false);
    }
    if (ending_ == Ending::kRunning)
        return;
    // Ended: what it wrote last is in the pipes still.
    ReadPipe(outFd_, outPending_, false, lines);
    ReadPipe(errFd_, errPending_, true, lines);
    ClosePipes();
    if (!outPending_.empty())
        lines.push_back({false, outPending_});
    if (!errPending_.empty())
        lines.push_back({true, errPending_});
    outPending_.clear();
    errPending_.clear();
}

void ChildProcess::Wait(std::vector<Line>& lines, std::chrono::milliseconds timeout) {
    if (pid_ > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline_ - std::chrono::steady_clock::now());
        const long long waitMs = std::clamp<long long>(
            std::min<long long>(timeout.count(), left.count() + 1), 0, 1000000);
        pollfd fds[2];
        nfds_t count = 0;
        for (int fd : {outFd_, errFd_}) {
            if (fd >= 0)
                fds[count++] = {fd, POLLIN, 0};
        }
        // With both pipes closed, poll only sleeps: the end is noticed below.
        poll(fds, count, static_cast<int>(waitMs));
    }
    Poll(lines);
}

void ChildProcess::Kill() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    Reap(true);
    ClosePipes();
}

std::string ChildProcess::EndingText() const {
    char text[160];
    switch (ending_) {
        case Ending::kRunning:
            return "is running";
        case Ending::kExited:
            std::snprintf(text, sizeof text, "exited with status %d", exitCode_);
            return text;
        case Ending::kSignalled:
            if (signalNumber_ == 0)
                return "ended abnormally";
            std::snprintf(text, sizeof text, "died of signal %d (%s)", signalNumber_,
                          strsignal(signalNumber_));
            return text;
        case Ending::kTimedOut:
            std::snprintf(text, sizeof text, "ran past its time limit of %lld s and was ended",
                          static_cast<long long>((timeLimit_.count() + 999) / 1000));
            return text;
    }
    return "";
}

}  // namespace wobble
