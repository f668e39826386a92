#pragma once
// The deformable body: particles joined by one spring per distinct tetra
// edge, a surface mesh carried by the tetras, and the thrust controller that
// steers it.

#include <string>
#include <vector>

#include "mesh/SurfaceMesh.h"
#include "softbody/Particle.h"
#include "softbody/Spring.h"
#include "softbody/Tetra.h"
#include "softbody/ThrustController.h"

namespace wobble {

class SoftBody {
public:
    // Limit on the springs of one body; a model with more distinct edges is refused.
    static constexpr int kMaxSprings = 10000;

    SoftBody() = default;
    // Springs, tetras and the controller point into `particles`: a body is never copied.
    SoftBody(const SoftBody&) = delete;
    SoftBody& operator=(const SoftBody&) = delete;

    // Reads a tetrahedral model file, creates particles (all of mass `mass`)
    // and tetras, and one spring of stiffness `stiffness` per distinct edge.
    // Prints the counts on success. On failure the body is left empty.
    bool LoadTetFile(const std::string& fileName, float stiffness, float mass);

    // Empties the body: counts 0, no particles, tetras or springs.
    void Clear();

    // Advances the body by dt: Beeman-type integration, spring forces, thrust
    // (which also lets the water give way), damping relative to the mean
    // velocity, and fresh tetra matrices. Does nothing on a body without particles.
    void Step(float dt);

    // Lengthens every spring's rest length by 10 %, inflating the body.
    void Pump();

    int particleCount = 0;
    int tetraCount = 0;
    int springCount = 0;
    std::vector<Particle> particles;  // file order: index = vertex index of the file
    std::vector<Tetra> tetras;        // tetraCount entries
    std::vector<Spring> springs;      // generation order, which is also the force order
    SurfaceMesh surface;
    ThrustController controller;

private:
    bool TryLoadTetFile(const std::string& fileName, float stiffness, float mass);
    bool GenerateSprings(float stiffness, const std::string& fileName);
};

}  // namespace wobble
