#pragma once
// The fixed OpenGL state of the whole run and the drawing of one frame:
//
//   clear -> camera -> light position -> dressed surface or tetra wireframe
//         -> water
//
// The simulation has stepped by then (scene/Scene.h); the camera's view was
// taken before that step, so a following camera sees the body frame of the
// previous step while the body is drawn in its new state.

#include <atomic>

#include "render/DisplaySettings.h"
#include "scene/StepTimings.h"

namespace wobble {

class Scene;
struct CameraView;

// Wall-clock milliseconds of the parts of the latest frame.
struct FrameTimings {
    StepTimings step;      // the scene's step and the surface carried along
    double drawing = 0.0;  // issuing the drawing calls of body and water
    double frame = 0.0;    // the whole frame, keys to buffer swap (set by the main loop)
};

void SetupGLState(const DisplaySettings& display);

// Has the driver prepare what a frame's lit triangles need, so that the
// first frame does not wait for it (a software rasteriser compiles its
// shaders then); draws nothing visible and leaves every state as it was.
// Worth calling while other work goes on: at start-up, while the scene loads.
void PrepareDrawing();

// Light 0, the scene's one light: a direction fixed in the world (w = 0).
inline constexpr float kLightPosition[4] = {-10.0f, 5.0f, 2.0f, 0.0f};

// Light 0 enabled, at kLightPosition.
void SetupLight();

// Draws the scene as it stands: `surfaceView` the dressed surface (deformed
// by the scene beforehand), lit, otherwise the tetra wireframe with its
// control points in their plain colours; the water; then the mouse's pull
// while it holds. Returns the milliseconds spent issuing the drawing calls
// of body and water.
// `refreshed` counts the surface's triangles ready to draw while the rest are
// refreshed (see Scene::StartDeformSurface); null when all are.
double DrawFrame(const Scene& scene, const CameraView& view, bool surfaceView,
                 const std::atomic<int>* refreshed);

}  // namespace wobble
