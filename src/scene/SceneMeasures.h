#pragma once
// A few numbers that tell at a glance how the scene is moving, for the
// panel's plots: they read the scene and change nothing.

namespace wobble {

class Scene;

struct SceneMeasures {
    double bodySpeed = 0.0;      // length of the particles' mean velocity
    double kineticEnergy = 0.0;  // sum of m v^2 / 2 over the particles
    double waterHeight = 0.0;    // sum over the cells of the height above the rest height -1
};

SceneMeasures Measure(const Scene& scene);

}  // namespace wobble
