#pragma once
// Everything a run writes of its frames: the screenshot of the last frame
// (--screenshot), F12's numbered screenshots, every frame as a numbered PNG
// (--record DIR), the videos (--record FILE.mp4 and F9), and the state file
// after the last frame (--dump). Pictures are read back through the drawing
// once a frame is drawn, before the crosshair goes over it.

#include <string>

#include "app/AppOptions.h"
#include "app/Drawing.h"
#include "app/StateDump.h"
#include "app/VideoCapture.h"
#include "render/DisplaySettings.h"
#include "render/Image.h"

namespace wobble {

class FrameOutputs {
public:
    // --record FILE.mp4 records from the first frame on.
    FrameOutputs(const AppOptions& options, Drawing& drawing, const DisplaySettings& display);

    // F12: the frame drawn next is written to the next free wobble-NNNN.png.
    void RequestScreenshot() { screenshotRequested_ = true; }
    // F9: a video starts, or the running one stops.
    void ToggleRecording();
    bool IsRecording() const { return video_.IsRecording(); }

    // After frame `frame` is drawn: what is asked of it is read and written;
    // `lastFrame` keeps it for --screenshot. `showDot` puts the recording
    // dot over the picture once it has been read.
    void Capture(long long frame, bool lastFrame, bool showDot);

    // At the end of the run: the video finished, --screenshot and --dump
    // written (`onScreen`: the last picture is the one on show). False when
    // an output the command line asked for could not be made; why is on stderr.
    bool Finish(const DumpedState& state, bool onScreen);

private:
    void RecordFrame(long long frame);

    std::string screenshotFile_;
    std::string recordDir_;  // --record DIR; cleared once it fails
    std::string dumpFile_;
    Drawing& drawing_;
    const DisplaySettings& display_;
    bool screenshotRequested_ = false;
    bool recordDirReady_ = false;
    bool recordingFailed_ = false;
    bool lastFrameCaptured_ = false;
    Image lastFrame_;
    Image frame_;         // F12's and --record DIR's pictures, its storage reused
    VideoCapture video_;  // --record FILE.mp4 and F9
};

}  // namespace wobble
