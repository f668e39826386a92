#include "scene/SceneMeasures.h"

#include <cmath>

#include "scene/Scene.h"

namespace wobble {

namespace {

// The height the water rests at (WaterSurface::Init).
constexpr double kRestHeight = -1.0;

}  // namespace

SceneMeasures Measure(const Scene& scene) {
    SceneMeasures m;
    const SoftBody& body = scene.body;
    double mean[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < body.particleCount; ++i) {
        const Particle& p = body.particles[static_cast<size_t>(i)];
        double squared = 0.0;
        for (int k = 0; k < 3; ++k) {
            mean[k] += p.velocity[k];
            squared += double(p.velocity[k]) * p.velocity[k];
        }
        m.kineticEnergy += 0.5 * double(p.mass) * squared;
    }
    if (body.particleCount > 0) {
        for (double& c : mean)
            c /= body.particleCount;
        m.bodySpeed = std::sqrt(mean[0] * mean[0] + mean[1] * mean[1] + mean[2] * mean[2]);
    }
    for (const SbVec3f& cell : scene.water.positions)
        m.waterHeight += double(cell[1]) - kRestHeight;
    return m;
}

}  // namespace wobble
