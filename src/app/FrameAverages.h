#pragma once
// A frame's time and the times of its parts, averaged over about the last 30
// frames, as every platform's panel shows them.

#include "render/FrameRenderer.h"

namespace wobble {

struct FrameAverages {
    double frameMs = 0.0;
    FrameTimings parts;

    void Add(double frameMilliseconds, const FrameTimings& frame) {
        frameMs = Blend(frameMs, frameMilliseconds);
        parts.step.bodyStep = Blend(parts.step.bodyStep, frame.step.bodyStep);
        parts.step.waterStep = Blend(parts.step.waterStep, frame.step.waterStep);
        parts.step.surface = Blend(parts.step.surface, frame.step.surface);
        parts.drawing = Blend(parts.drawing, frame.drawing);
    }
    double FramesPerSecond() const { return frameMs > 0.0 ? 1000.0 / frameMs : 0.0; }

private:
    // The newest frame's weight; the first frame stands alone.
    static double Blend(double average, double sample) {
        return average == 0.0 ? sample : average + (sample - average) * (1.0 / 30.0);
    }
};

}  // namespace wobble
