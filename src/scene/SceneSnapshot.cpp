#include "scene/SceneSnapshot.h"

#include <algorithm>

#include "softbody/SoftBody.h"
#include "water/WaterSurface.h"

namespace wobble {

void SceneSnapshot::Capture(const SoftBody& body, const WaterSurface& water) {
    particles_ = body.particles;
    restLengths_ = body.springs.restLength;
    lengths_ = body.springs.length;
    matrices_.clear();
    for (const Tetra& t : body.tetras)
        matrices_.push_back(t.matrix);
    surfaceVertices_ = body.surface.vertices;
    controller_ = body.controller;
    waterPositions_ = water.positions;
    waterNormals_ = water.normals;
    waterVelocities_ = water.velocities;
}

void SceneSnapshot::Restore(SoftBody& body, WaterSurface& water) const {
    std::copy(particles_.begin(), particles_.end(), body.particles.begin());
    std::copy(restLengths_.begin(), restLengths_.end(), body.springs.restLength.begin());
    std::copy(lengths_.begin(), lengths_.end(), body.springs.length.begin());
    for (size_t k = 0; k < body.tetras.size(); ++k)
        body.tetras[k].matrix = matrices_[k];
    std::copy(surfaceVertices_.begin(), surfaceVertices_.end(), body.surface.vertices.begin());
    // The face normals follow from the vertices, as they did when captured.
    body.surface.ComputeFaceNormals();
    // The controller's particle slots are the same particles as at capture
    // time; everything else (thrusts, frame vectors) goes back.
    body.controller = controller_;
    std::copy(waterPositions_.begin(), waterPositions_.end(), water.positions.begin());
    std::copy(waterNormals_.begin(), waterNormals_.end(), water.normals.begin());
    std::copy(waterVelocities_.begin(), waterVelocities_.end(), water.velocities.begin());
}

}  // namespace wobble
