#include "app/FrameOutputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "render/Screenshot.h"

namespace wobble {

namespace {

constexpr int kRecordProgressEvery = 100;

// False, with "wobble: cannot write the WHAT FILE: why" on stderr, on failure.
bool Written(const Status& status, const char* what) {
    if (status.ok())
        return true;
    std::fprintf(stderr, "wobble: cannot write the %s %s: %s\n", what, status.error().file.c_str(),
                 status.error().message.c_str());
    return false;
}

}  // namespace

FrameOutputs::FrameOutputs(const AppOptions& options, Drawing& drawing,
                           const DisplaySettings& display)
    : screenshotFile_(options.screenshotFile),
      recordDir_(VideoRecorder::IsVideoPath(options.recordDir) ? "" : options.recordDir),
      dumpFile_(options.dumpFile),
      drawing_(drawing),
      display_(display) {
    video_.RecordFromStart(options.recordDir);
}

void FrameOutputs::ToggleRecording() {
    video_.Toggle("", display_);
}

void FrameOutputs::Capture(long long frame, bool lastFrame, bool showDot) {
    if (!screenshotFile_.empty() && lastFrame) {
        drawing_.ReadFrame(lastFrame_, display_, false);
        lastFrameCaptured_ = true;
    }
    if (screenshotRequested_) {
        screenshotRequested_ = false;
        const std::string name = NextFreeName("", "wobble");
        drawing_.ReadFrame(frame_, display_, false);
        if (Written(WritePng(name, frame_), "screenshot"))
            std::printf("Screenshot written to %s\n", name.c_str());
    }
    if (!recordDir_.empty())
        RecordFrame(frame);
    // Last: the red dot goes over the frame once it has been read.
    video_.CaptureFrame(drawing_, display_, showDot);
}

void FrameOutputs::RecordFrame(long long frame) {
    if (!recordDirReady_) {
        recordDirReady_ = true;
        if (mkdir(recordDir_.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "wobble: cannot create the recording folder %s: %s\n",
                         recordDir_.c_str(), std::strerror(errno));
            recordDir_.clear();
            recordingFailed_ = true;
            return;
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", frame);
    drawing_.ReadFrame(frame_, display_, false);
    const Status written = WritePng(recordDir_ + name, frame_);
    if (!written) {
        std::fprintf(stderr, "wobble: cannot write %s%s: %s; recording stops\n", recordDir_.c_str(),
                     name, written.error().message.c_str());
        recordDir_.clear();
        recordingFailed_ = true;
        return;
    }
    if (frame % kRecordProgressEvery == 0)
        std::printf("Recorded %lld frames to %s\n", frame, recordDir_.c_str());
}

bool FrameOutputs::Finish(const DumpedState& state, bool onScreen) {
    bool written = video_.Finish() && !recordingFailed_;
    std::fflush(stdout);
    if (!screenshotFile_.empty()) {
        // A run closed from outside has drawn its last frame already; it is
        // still on the front buffer.
        if (!lastFrameCaptured_)
            drawing_.ReadFrame(lastFrame_, display_, onScreen);
        written = Written(WritePng(screenshotFile_, lastFrame_), "screenshot") && written;
    }
    if (!dumpFile_.empty())
        written = Written(WriteStateDump(dumpFile_, state), "state file") && written;
    return written;
}

}  // namespace wobble
