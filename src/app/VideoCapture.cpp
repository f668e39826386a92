#include "app/VideoCapture.h"

#include <cstdio>

namespace wobble {

void VideoCapture::RecordFromStart(const std::string& path) {
    if (VideoRecorder::IsVideoPath(path)) {
        fromStart_ = path;
        asked_ = path;
    }
}

void VideoCapture::Toggle(const std::string& folder, const DisplaySettings& display) {
    // F9 before the first frame: the --record video counts as running, and
    // stopping it before it has a frame leaves no file.
    if (!fromStart_.empty()) {
        fromStart_.clear();
        return;
    }
    if (recorder_.IsRecording()) {
        Stop();
        return;
    }
    const std::string path = NextFreeName(folder, "wobble", ".mp4");
    Start(path, display);
    if (recorder_.IsRecording())
        std::printf("Recording video to %s (F9 stops)\n", path.c_str());
}

void VideoCapture::CaptureFrame(Drawing& drawing, const DisplaySettings& display, bool showDot) {
    if (!fromStart_.empty()) {
        Start(fromStart_, display);
        askedFailed_ = !recorder_.IsRecording();
        fromStart_.clear();
    }
    if (!recorder_.IsRecording())
        return;
    drawing.ReadFrame(frame_, display, false);
    recorder_.AddFrame(frame_);
    if (showDot && recorder_.IsRecording())
        drawing.DrawRecordingDot(display);
}

bool VideoCapture::Finish() {
    fromStart_.clear();
    if (recorder_.IsRecording()) {
        const bool asked = recorder_.path() == asked_;
        if (!Stop() && asked)
            askedFailed_ = true;
    }
    return !askedFailed_;
}

void VideoCapture::Start(const std::string& path, const DisplaySettings& display) {
    recorder_.Start(path, display.width, display.height);
}

bool VideoCapture::Stop() {
    const long long frames = recorder_.framesWritten();
    if (!recorder_.Finish())
        return false;
    std::printf("Video written to %s (%lld frames)\n", recorder_.path().c_str(), frames);
    return true;
}

}  // namespace wobble
