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

    // Binds every surface vertex to the tetra whose centroid is nearest (the
    // lowest index among equally near ones) by its barycentric weights in
    // that tetra, after refreshing every tetra's matrix. A vertex whose tetra
    // is flat follows the tetra's corner nearest to it. Without tetras
    // nothing is bound and the surface stays as loaded.
    void BindSurface();

    // Places every bound surface vertex at its weights' combination of its
    // tetra's current corners (the matrices of the latest step) and
    // recomputes the face normals: the drawing's first half, without GL.
    void DeformSurface();

    // DeformSurface, then draws the surface lit.
    void DrawSurface();

    // The debugging view: every tetra's six edges in red, unlit, then the
    // control points (src/render/DebugDraw.cpp).
    void DrawTetraWireframe() const;
    // The eight control particles as yellow points of size 8.
    void DrawControlPoints() const;

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
