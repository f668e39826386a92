#pragma once
// The deformable body: particles joined by one spring per distinct tetra
// edge, a surface mesh carried by the tetras, and the thrust controller that
// steers it.

#include <array>
#include <string>
#include <vector>

#include "mesh/SurfaceMesh.h"
#include "softbody/BodyPull.h"
#include "softbody/Particle.h"
#include "softbody/Spring.h"
#include "softbody/SpringForces.h"
#include "softbody/Tetra.h"
#include "softbody/ThrustController.h"
#include "text/InputError.h"

namespace wobble {

// A tetrahedral model as a file holds it: vertex positions in file order and
// each tetra's four corner indices into them.
struct TetModel {
    std::vector<SbVec3f> vertices;
    std::vector<std::array<int, 4>> tetras;
};

// Reads the tetrahedral model file folder/fileName (see softbody/TetFile.cpp
// for the format); messages name `fileName`. Of a failing read it prints only
// the loader's own console messages, which leave the error without one;
// every other refusal is the error's message.
Result<TetModel> ReadTetFile(const std::string& fileName, const std::string& folder = "");

// How a body moves beyond what config.txt says (scene/SceneHandling.h reads
// a scene's own): the defaults are the program's.
struct BodyHandling {
    // The program's damping of each particle's velocity relative to the
    // body's mean velocity, a force per unit of relative speed.
    static constexpr float kRelativeDamping = 0.15f;

    int subSteps = 1;                          // body steps per frame (Advance)
    float relativeDamping = kRelativeDamping;  // of every particle
    // Each control particle's thrust shared over the particles within this
    // distance of it as loaded (SpreadThrust); 0: on the particle alone.
    float thrustSpread = 0.0f;

    bool operator==(const BodyHandling&) const = default;
};

class SoftBody {
public:
    // Limit on the springs of one body: a bound of sanity far above any body
    // that steps at a usable rate (a body takes about 230 bytes a spring with
    // its particles and tetras, so this one would need some 11 GB). A model
    // with more distinct edges is refused.
    static constexpr int kMaxSprings = 50'000'000;

    SoftBody() = default;
    // Springs, tetras and the controller point into `particles`: a body is never copied.
    SoftBody(const SoftBody&) = delete;
    SoftBody& operator=(const SoftBody&) = delete;

    // Reads a tetrahedral model file and builds the body from it (Build).
    // Prints the counts on success. On failure the body is left empty.
    Status LoadTetFile(const std::string& fileName, float stiffness, float mass,
                       const std::string& folder = "");

    // Creates one particle of mass `mass` per vertex, the tetras, and one
    // spring of stiffness `stiffness` per distinct tetra edge, in generation
    // order. Refuses a corner index outside the vertices and more distinct
    // edges than `maxSprings`, naming `source` in the error; the body is then
    // left empty, as it is when memory runs out. Prints nothing. Time and
    // memory grow linearly with the model.
    Status Build(const TetModel& model, float stiffness, float mass, const std::string& source,
                 int maxSprings = kMaxSprings);

    // Empties the body: counts 0, no particles, tetras or springs.
    void Clear();

    // Advances the body by dt: Beeman-type integration, spring forces, thrust,
    // damping relative to the mean velocity, and fresh matrices for the tetras
    // that carry surface vertices (the only ones DeformSurface reads; the
    // others keep the matrices BindSurface gave them). Does nothing on a body
    // without particles. Allocates nothing after the body's first step.
    void Step(float dt);

    // Advances the body by one frame of `frameTime`: handling.subSteps steps
    // of frameTime / subSteps each. One sub-step is exactly Step(frameTime);
    // with n of them the body's overall retention per step is the n-th root
    // of the single step's 0.999, so that the body keeps the same share of
    // its speed over a frame whatever n.
    void Advance(float frameTime);

    // Shares each control slot's thrust over the particles within `radius`
    // of its particle where they are now, in equal parts (the controller's
    // spreadGroups, particles in index order); a radius of 0 or less gives
    // each slot's thrust to its particle alone again. Needs the control
    // particles; allocates.
    void SpreadThrust(float radius);

    // The body's time per frame, in the program's time units.
    static constexpr float kTimeStep = 0.05f;
    // The pump's growth of every rest length per call: 10 %.
    static constexpr double kPumpGrowth = 1.1;

    // Lengthens every spring's rest length by the factor `growth` (formed in
    // double, see SpringSet::Grow), inflating the body.
    void Pump(double growth = kPumpGrowth);

    // Binds every surface vertex to the tetra whose centroid is nearest (the
    // lowest index among equally near ones) by its barycentric weights in
    // that tetra, after refreshing every tetra's matrix. A vertex whose tetra
    // is flat follows the tetra's corner nearest to it. Without tetras
    // nothing is bound and the surface stays as loaded.
    void BindSurface();

    // Places every bound surface vertex at its weights' combination of its
    // tetra's current corners (the matrices of the latest step) and
    // recomputes the face normals, ready to be drawn.
    void DeformSurface();
    // Its first half: the vertices only. The surface's RefreshTriangles
    // (after PrepareCorners) over every triangle is the second.
    void DeformSurfaceVertices();

    int particleCount = 0;
    int tetraCount = 0;
    int springCount = 0;
    std::vector<Particle> particles;  // file order: index = vertex index of the file
    std::vector<Tetra> tetras;        // tetraCount entries
    SpringSet springs;                // generation order, which is also the force order
    SurfaceMesh surface;
    ThrustController controller;
    BodyPull pull;          // the mouse's hand; released unless the user holds the body
    BodyHandling handling;  // the program's one step a frame and damping unless a scene asks

private:
    Status Assemble(const TetModel& model, float stiffness, float mass, const std::string& source,
                    int maxSprings);
    Status GenerateSprings(float stiffness, const std::string& source, int maxSprings);

    // Step with the body's overall velocity retention per step, refreshing
    // the matrices of the tetras that carry the surface or not.
    void StepRetaining(float dt, float retention, bool refreshTetras);

    SpringForces springForces_;  // the step's index of the springs
};

}  // namespace wobble
