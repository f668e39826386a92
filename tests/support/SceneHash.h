#pragma once
// FNV-1a over the bits of every float of a scene that evolves: particle
// positions and velocities, the deformed surface, the water's heights and
// velocities. Equal hashes: runs that agree bit for bit.

#include <cstdint>

#include "TestFiles.h"
#include "scene/Scene.h"

namespace wobble::test {

inline uint64_t SceneStateHash(const Scene& scene) {
    Fnv1a h;
    const auto add = [&](const SbVec3f& v) { h.Add(v.getValue(), 3 * sizeof(float)); };
    for (const Particle& p : scene.body.particles) {
        add(p.position);
        add(p.velocity);
    }
    for (const SbVec3f& v : scene.body.surface.vertices)
        add(v);
    for (const SbVec3f& p : scene.water.positions)
        add(p);
    h.Add(scene.water.velocities.data(), scene.water.velocities.size() * sizeof(float));
    return h.value();
}

}  // namespace wobble::test
