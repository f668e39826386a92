#pragma once
// The F1 overlay: the key reference and how the run is going (frames per
// second, where a frame's time goes, thrusts, camera mode, body size),
// drawn over the finished frame. Hidden by default, so that a frame without
// it is exactly the plain frame.

#include "render/DisplaySettings.h"
#include "render/FrameRenderer.h"

namespace wobble {

class SoftBody;

struct OverlayInfo {
    double framesPerSecond = 0.0;
    FrameTimings timings;  // smoothed milliseconds per frame
    const SoftBody* body = nullptr;
    int cameraMode = 0;
    bool paused = false;
    bool surfaceView = true;
};

// The overlay's text in fixed storage, so that drawing it every frame
// allocates nothing.
struct OverlayText {
    static constexpr int kMaxLines = 13;
    static constexpr int kLineSize = 128;  // a longer line is cut short

    char lines[kMaxLines][kLineSize];
    int count = 0;
};

class Overlay {
public:
    void Toggle() { visible = !visible; }

    // Folds one frame's timings into the running averages shown.
    void RecordFrame(double frameMilliseconds, const FrameTimings& frame);

    // Fills `text` with the lines, top to bottom.
    void Lines(const OverlayInfo& info, OverlayText& text) const;

    // Draws the overlay if visible, leaving the GL state as it found it.
    void Draw(const OverlayInfo& info, const DisplaySettings& display) const;

    bool visible = false;
    double averageFrameMs = 0.0;
    FrameTimings average;
};

}  // namespace wobble
