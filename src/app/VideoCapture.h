#pragma once
// The videos a run records: the one named on the command line
// (--record FILE.mp4 or .webm), from the first frame to the last, and those
// that F9 starts and stops, numbered wobble-0001.mp4, ... A red dot in the
// window's corner shows while one records; the frames handed to the video
// are read before it is drawn.

#include <string>

#include "app/Drawing.h"
#include "app/VideoRecorder.h"
#include "render/DisplaySettings.h"

namespace wobble {

class VideoCapture {
public:
    // --record PATH: a video path starts recording with the first frame;
    // any other path (a folder of PNGs) is not ours.
    void RecordFromStart(const std::string& path);

    // F9: stops the running recording (the --record one too), or starts one
    // to the next free wobble-NNNN.mp4 in `folder` ("" for the working folder).
    void Toggle(const std::string& folder, const DisplaySettings& display);

    // After a frame is drawn and before the buffers swap: the frame goes to
    // the running recording, and then, with `showDot`, the red dot is drawn
    // over it.
    void CaptureFrame(Drawing& drawing, const DisplaySettings& display, bool showDot);

    // At the end of the run: the running recording is finished. False when
    // the --record video could not be made (no ffmpeg, ffmpeg failed): an
    // output the command line asked for is missing.
    bool Finish();

    bool IsRecording() const { return recorder_.IsRecording(); }

private:
    void Start(const std::string& path, const DisplaySettings& display);
    bool Stop();

    VideoRecorder recorder_;
    std::string fromStart_;  // --record's video, until the first frame starts it
    std::string asked_;      // --record's video, for the whole run
    bool askedFailed_ = false;
    Image frame_;  // the frame read back, its storage reused frame after frame
};

}  // namespace wobble
