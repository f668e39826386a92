#pragma once
// The F1 overlay: the key reference and how the run is going (frames per
// second, where a frame's time goes, thrusts, camera mode, body size),
// drawn over the finished frame. Hidden by default, so that a frame without
// it is exactly the plain frame.

#include <string>
#include <vector>

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

class Overlay {
public:
    void Toggle() { visible = !visible; }

    // Folds one frame's timings into the running averages shown.
    void RecordFrame(double frameMilliseconds, const FrameTimings& frame);

    // The text lines, top to bottom.
    std::vector<std::string> Lines(const OverlayInfo& info) const;

    // Draws the overlay if visible, leaving the GL state as it found it.
    void Draw(const OverlayInfo& info, const DisplaySettings& display) const;

    bool visible = false;
    double averageFrameMs = 0.0;
    FrameTimings average;
};

}  // namespace wobble
