#pragma once
// A copy of everything that evolves in the scene, taken right after start-up
// and put back by the reset key. Restoring copies into the scene's existing
// arrays: nothing is allocated or released.

#include <vector>

#include "camera/Camera.h"
#include "mesh/Matrix4.h"
#include "softbody/Particle.h"
#include "softbody/ThrustController.h"

namespace wobble {

class SoftBody;
class WaterSurface;

class SceneSnapshot {
public:
    void Capture(const SoftBody& body, const WaterSurface& water, const Camera& camera);
    void Restore(SoftBody& body, WaterSurface& water, Camera& camera) const;

private:
    std::vector<Particle> particles_;
    std::vector<float> restLengths_;
    std::vector<float> lengths_;
    std::vector<Matrix4> matrices_;
    std::vector<SbVec3f> surfaceVertices_;
    std::vector<SbVec3f> faceNormals_;
    ThrustController controller_;
    std::vector<SbVec3f> waterPositions_;
    std::vector<SbVec3f> waterNormals_;
    std::vector<float> waterVelocities_;
    Camera camera_;
};

}  // namespace wobble
