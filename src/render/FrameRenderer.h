#pragma once
// The fixed OpenGL state of the whole run and the order of one frame:
//
//   clear -> camera -> light position -> body step (thrust, water gives way)
//         -> dressed surface or tetra wireframe -> water step -> water drawing
//
// The camera is placed before the body's step, so a following camera sees
// the body frame of the previous step while the body is drawn in its new state.

#include "render/DisplaySettings.h"

namespace wobble {

class Camera;
class SoftBody;
class WaterSurface;

// The fixed time steps: one step of each per drawn frame, whatever the frame rate.
constexpr float kBodyTimeStep = 0.05f;
constexpr float kWaterTimeStep = 0.03f;

// Wall-clock milliseconds of the parts of the latest frame.
struct FrameTimings {
    double bodyStep = 0.0;
    double waterStep = 0.0;
    double surface = 0.0;  // carrying the surface along with the tetras
    double drawing = 0.0;  // issuing the GL calls of body and water
    double frame = 0.0;    // the whole frame, keys to buffer swap (set by the main loop)
};

struct FrameScene {
    Camera* camera = nullptr;
    const float* lightPosition = nullptr;  // four floats
    SoftBody* body = nullptr;
    WaterSurface* water = nullptr;
    bool surfaceView = true;  // dressed surface, or the tetra wireframe
    bool simulate = true;     // false while paused: draw, but step nothing
};

void SetupGLState(const DisplaySettings& display);
void DrawFrame(const FrameScene& scene, FrameTimings* timings);

}  // namespace wobble
