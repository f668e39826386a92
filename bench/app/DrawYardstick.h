#pragma once
// The floor under a frame: the scene's surface and water drawn through
// OpenGL 1.1 client vertex arrays filled once, with the program's lights,
// materials and camera, and no simulation at all. A frame of the program can
// come close to it but not below it.

#include <vector>

#include "camera/Camera.h"
#include "platform/FramePacer.h"
#include "scene/Scene.h"

namespace wobble::bench {

class DrawYardstick {
public:
    // Takes the surface as it stands (deformed, with its face normals) and
    // the water; a GL context must be current.
    explicit DrawYardstick(const Scene& scene);
    ~DrawYardstick();
    DrawYardstick(const DrawYardstick&) = delete;
    DrawYardstick& operator=(const DrawYardstick&) = delete;

    // False when the context has no fences (GL_ARB_sync): frames are then
    // finished one by one.
    bool HasFences() const { return pacer_.HasFences(); }

    // One frame: clear, camera, light, surface, water; then paced as the
    // program's headless frames are (at most two queued).
    void DrawFrame(const CameraView& view, const float lightPosition[4]);

private:
    const Scene& scene_;
    std::vector<float> surfacePositions_;  // three corners per triangle
    std::vector<float> surfaceNormals_;    // its face normal at each corner
    FramePacer pacer_;
};

}  // namespace wobble::bench
