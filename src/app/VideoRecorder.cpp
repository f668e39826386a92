#include "app/VideoRecorder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace wobble {

namespace {

constexpr int kFramesPerSecond = 60;

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() > n && text.compare(text.size() - n, n, suffix) == 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// Writes all of `data` to the pipe. A reader that has gone makes the write
// fail with EPIPE, and would also raise SIGPIPE, whose default action ends
// the program: the signal is held back while writing and a SIGPIPE this
// write raised is taken off again, so that a dead ffmpeg ends the recording
// and not the program. Any other thread keeps its own signal mask.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;

    bool ok = true;
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    if (!ok && errno == EPIPE && !alreadyPending) {
        const timespec noWait = {0, 0};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

}  // namespace

std::string FindFfmpeg() {
    const char* path = std::getenv("PATH");
    const std::string search = path != nullptr ? path : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= search.size()) {
        size_t end = search.find(':', start);
        if (end == std::string::npos)
            end = search.size();
        // An empty entry means the working folder, as for the shell.
        const std::string folder = end > start ? search.substr(start, end - start) : ".";
        const std::string candidate = folder + "/ffmpeg";
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return "";
}

bool VideoRecorder::IsVideoPath(const std::string& path) {
    return EndsWith(path, ".mp4") || EndsWith(path, ".webm");
}

VideoRecorder::~VideoRecorder() {
    if (IsRecording())
        Finish();
}

bool VideoRecorder::Start(const std::string& path, int width, int height) {
    if (IsRecording())
        Finish();
    const std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "wobble: cannot record %s: the ffmpeg program is not installed (install the "
                     "Debian package ffmpeg)\n",
                     path.c_str());
        return false;
    }
    // Made here first, so that a folder that is missing or not writable is
    // one clear line from us rather than ffmpeg's complaint after it started.
    const int probe = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (probe < 0) {
        std::fflush(stdout);
        std::fprintf(stderr, "wobble: cannot record %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    close(probe);

    char size[32], rate[16];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%d", kFramesPerSecond);
    std::vector<const char*> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats",
                                     // -y: the file exists already, made above.
                                     "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-r",
                                     rate, "-i", "-"};
    if (EndsWith(path, ".webm")) {
        // The real-time settings keep up with 60 frames a second on a desktop.
        for (const char* a : {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8",
                              "-row-mt", "1", "-b:v", "0", "-crf", "32"})
            args.push_back(a);
    } else {
        for (const char* a :
             {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-movflags", "+faststart"})
            args.push_back(a);
    }
    // yuv420p: the pixel format every player can show.
    for (const char* a : {"-pix_fmt", "yuv420p", path.c_str()})
        args.push_back(a);
    args.push_back(nullptr);

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "wobble: cannot record %s: no pipe to ffmpeg: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec. dup2 clears
        // close-on-exec on standard input; every other descriptor of ours
        // closes at exec.
        if (dup2(ends[0], STDIN_FILENO) < 0)
            _exit(127);
        execv(ffmpeg.c_str(), const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(ends[0]);
    if (child < 0) {
        close(ends[1]);
        std::fprintf(stderr, "wobble: cannot record %s: cannot start ffmpeg: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    ffmpeg_ = child;
    pipe_ = ends[1];
    path_ = path;
    width_ = width;
    height_ = height;
    frames_ = 0;
    return true;
}

void VideoRecorder::AddFrame(const Image& frame) {
    if (!IsRecording())
        return;
    const size_t bytes = static_cast<size_t>(width_) * height_ * 3;
    if (frame.width != width_ || frame.height != height_ || frame.rgb.size() != bytes) {
        std::fprintf(stderr, "wobble: recording %s stops: the frame is %dx%d, not %dx%d\n",
                     path_.c_str(), frame.width, frame.height, width_, height_);
        close(pipe_);
        pipe_ = -1;
        Reap();
        return;
    }
    if (WriteAll(pipe_, frame.rgb.data(), bytes)) {
        ++frames_;
        return;
    }
    // ffmpeg stopped reading: it has ended, or is about to, and its exit
    // status says how. One line either way.
    const int error = errno;
    close(pipe_);
    pipe_ = -1;
    if (error != EPIPE) {
        std::fprintf(stderr, "wobble: recording %s stops: cannot write to ffmpeg: %s\n",
                     path_.c_str(), std::strerror(error));
        Reap();
    } else if (Reap()) {
        std::fprintf(stderr, "wobble: recording %s stops: ffmpeg ended before the last frame\n",
                     path_.c_str());
    }
}

bool VideoRecorder::Finish() {
    if (!IsRecording())
        return false;
    close(pipe_);
    pipe_ = -1;
    return Reap();
}

bool VideoRecorder::Reap() {
    int status = 0;
    pid_t ended;
    do {
        ended = waitpid(ffmpeg_, &status, 0);
    } while (ended < 0 && errno == EINTR);
    ffmpeg_ = -1;
    if (ended < 0) {
        std::fprintf(stderr, "wobble: recording %s: cannot learn how ffmpeg ended: %s\n",
                     path_.c_str(), std::strerror(errno));
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::fflush(stdout);
    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "wobble: recording %s failed: ffmpeg was ended by signal %d (%s)\n",
                     path_.c_str(), WTERMSIG(status), strsignal(WTERMSIG(status)));
    } else {
        std::fprintf(stderr, "wobble: recording %s failed: ffmpeg ended with exit status %d\n",
                     path_.c_str(), WEXITSTATUS(status));
    }
    return false;
}

}  // namespace wobble
