#pragma once
// A video file made by Debian's ffmpeg program: the frames go down a pipe to
// its standard input as raw RGB, 60 a second, and ffmpeg encodes them, H.264
// for .mp4 and VP9 for .webm. The program links no encoder; without ffmpeg
// it records nothing and says what to install.
//
//   wobble --pipe (rgb24, W x H, top row first)--> ffmpeg -f rawvideo -i - ... FILE

#include <sys/types.h>

#include <string>

#include "render/Screenshot.h"

namespace wobble {

class VideoRecorder {
public:
    VideoRecorder() = default;
    // Finishes a recording still running, so that its file is complete.
    ~VideoRecorder();
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;

    // True for the file names the recorder writes (ending in .mp4 or .webm).
    static bool IsVideoPath(const std::string& path);

    // Starts ffmpeg writing `path` from frames of width x height pixels. False,
    // with one line on stderr, when ffmpeg is not installed, the file cannot
    // be created or ffmpeg cannot be started; nothing is recording then.
    bool Start(const std::string& path, int width, int height);

    // Hands one frame (the size given to Start) to ffmpeg. Should ffmpeg have
    // ended, the recording stops, with one line on stderr saying how ffmpeg
    // ended; the program goes on.
    void AddFrame(const Image& frame);

    // Closes the pipe and waits for ffmpeg to finish the file. True when it
    // did; false, with one line on stderr, when ffmpeg failed (or nothing was
    // recording).
    bool Finish();

    bool IsRecording() const { return ffmpeg_ > 0; }
    const std::string& path() const { return path_; }
    long long framesWritten() const { return frames_; }

private:
    // Waits for ffmpeg; true when it ended with status 0, else one line on stderr.
    bool Reap();

    pid_t ffmpeg_ = -1;  // the running ffmpeg, -1 when none
    int pipe_ = -1;      // write end of its standard input
    std::string path_;
    int width_ = 0;
    int height_ = 0;
    long long frames_ = 0;  // frames handed over since Start
};

// The ffmpeg program on PATH (an executable file named ffmpeg), or "" when
// there is none. Without PATH, the system's default search path is used, as
// exec does.
std::string FindFfmpeg();

}  // namespace wobble
