#pragma once
// A copy of everything that evolves in the body and the water, taken right
// after loading and put back by a reset. Restoring copies into the scene's
// existing arrays: nothing is allocated or released. What follows from the
// rest (the surface's face normals) is computed again instead of kept.

#include <vector>

#include "math/Matrix4.h"
#include "softbody/Particle.h"
#include "softbody/ThrustController.h"

namespace wobble {

class SoftBody;
class WaterSurface;

class SceneSnapshot {
public:
    void Capture(const SoftBody& body, const WaterSurface& water);
    void Restore(SoftBody& body, WaterSurface& water) const;

private:
    std::vector<Particle> particles_;
    std::vector<float> restLengths_;
    std::vector<float> lengths_;
    std::vector<Matrix4> matrices_;
    std::vector<SbVec3f> surfaceVertices_;
    ThrustController controller_;
    std::vector<SbVec3f> waterPositions_;
    std::vector<SbVec3f> waterNormals_;
    std::vector<float> waterVelocities_;
};

}  // namespace wobble
