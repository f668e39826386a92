#pragma once
// The fixed OpenGL state of the whole run and the drawing of one frame:
//
//   clear -> camera -> light position -> dressed surface or tetra wireframe
//         -> water
//
// The simulation has stepped by then (scene/Scene.h); the camera's view was
// taken before that step, so a following camera sees the body frame of the
// previous step while the body is drawn in its new state.

#include "render/DisplaySettings.h"

namespace wobble {

class Scene;
struct CameraView;

// Wall-clock milliseconds of the parts of the latest frame.
struct FrameTimings {
    double bodyStep = 0.0;
    double waterStep = 0.0;
    double surface = 0.0;  // carrying the surface along with the tetras
    double drawing = 0.0;  // issuing the GL calls of body and water
    double frame = 0.0;    // the whole frame, keys to buffer swap (set by the main loop)
};

void SetupGLState(const DisplaySettings& display);

// Has the driver prepare what a frame's lit triangles need, so that the
// first frame does not wait for it (a software rasteriser compiles its
// shaders then); draws nothing visible and leaves every state as it was.
// Worth calling while other work goes on: at start-up, while the scene loads.
void PrepareDrawing();

// Light 0, the scene's one light: enabled, at `lightPosition` (w = 0: a
// direction fixed in the world).
void SetupLight(const float lightPosition[4]);

// The lighting switch as the view key leaves it: on for the dressed
// surface, off for the wireframe, which shows its plain colours.
void SetViewLighting(bool surfaceView);

// Draws the scene as it stands: `surfaceView` the dressed surface (deformed
// by the scene beforehand), otherwise the tetra wireframe with its control
// points. Returns the milliseconds spent issuing the drawing calls.
double DrawFrame(const Scene& scene, const CameraView& view, const float lightPosition[4],
                 bool surfaceView);

}  // namespace wobble
