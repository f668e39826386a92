#pragma once
// Everything that moves: the soft body, the water it floats on, and what
// links them. One Step advances both by one frame's fixed steps:
//
//   body step (0.05): springs, thrust, damping      -> the body's centre
//   the water gives way at that centre               (the body's sphere)
//   water step (0.03): the damped wave equation
//
// Nothing here draws: render/ reads a const Scene, so tests and benchmarks
// step, reset and inspect a scene without a window or a GL context.

#include <atomic>
#include <chrono>
#include <string>
#include <utility>

#include "math/ParallelFor.h"
#include "scene/SceneSnapshot.h"
#include "scene/SceneTuning.h"
#include "scene/StepTimings.h"
#include "softbody/SoftBody.h"
#include "text/InputError.h"
#include "water/WaterSurface.h"

namespace wobble {

class Scene;

// A refresh of the surface's triangles under way beside the drawing (see
// Scene::StartDeformSurface). Move-only: its holder alone may look at the
// surface meanwhile, and when it goes it waits for the refresh to end, so
// nothing can see a half-refreshed surface after it.
class SurfaceRefresh {
public:
    SurfaceRefresh() = default;
    SurfaceRefresh(SurfaceRefresh&& other) noexcept
        : scene_(std::exchange(other.scene_, nullptr)) {}
    SurfaceRefresh& operator=(SurfaceRefresh&& other) noexcept;
    SurfaceRefresh(const SurfaceRefresh&) = delete;
    SurfaceRefresh& operator=(const SurfaceRefresh&) = delete;
    ~SurfaceRefresh() { Finish(); }

    // The count n of triangles [0, n) refreshed so far, or null when every
    // triangle is.
    const std::atomic<int>* Refreshed() const;
    // Waits for the rest now.
    void Finish();

private:
    friend class Scene;
    explicit SurfaceRefresh(Scene* scene) : scene_(scene) {}
    Scene* scene_ = nullptr;
};

class Scene {
public:
    // The time steps: one step of each per frame, whatever the frame rate
    // (the panel may change them, and a scene may cut the body's frame into
    // sub-steps: SceneTuning).
    static constexpr float kBodyTimeStep = SoftBody::kTimeStep;
    static constexpr float kWaterTimeStep = WaterSurface::kTimeStep;
    // The water: 100 x 100 cells, 4 units apart, so it spans 0..396 along x and z.
    static constexpr int kWaterCells = 100;
    static constexpr float kWaterSpacing = 4.0f;
    // Where the splash key pushes the water down.
    static constexpr float kSplashPoint[3] = {30.0f, 2.0f, 30.0f};

    Scene() = default;
    // The body's springs, tetras and controller point into its particles.
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Reads `configFile` in `folder` (the working folder when empty) with the
    // loaders' console lines, and the optional handling.txt beside it
    // (softbody/HandlingFile.h) silently, binds the surface to the tetras, and lays the
    // water out with the body's radius: half the loaded distance between
    // control particles 2 and 3 (pumping later does not change it). Then
    // takes the snapshot Reset returns to.
    //
    // Refuses, with the reason printed on stderr and returned, a scene that
    // cannot be simulated: a configuration that does not read, a model that
    // does not load, control particles that are not the model's.
    Status Load(const std::string& folder = "", const std::string& configFile = "config.txt");

    // True once Load has succeeded: the body has particles and eight control
    // particles, so it can be stepped.
    bool IsSimulated() const;

    // One frame's simulation (see above). Allocates nothing.
    void Step();
    // The splash: the water pushed down at kSplashPoint by the body's sphere.
    void Splash();
    // Every rest length of the body grows by the tuned pump growth (10 % a
    // call unless the panel changed it).
    void Pump();
    // Carries the surface along with the tetras (their matrices of the
    // latest step) and refreshes its face normals, ready to be drawn.
    void DeformSurface();

    // The splash at another place: the water pushed down by the body's
    // sphere at (x, kSplashPoint[1], z).
    void SplashAt(float x, float z);

    // DeformSurface in two halves, for a frame that draws while the second
    // runs: the vertices now, then the triangles (face normals and drawing
    // arrays) on a helper thread, first to last, the returned refresh
    // counting those done and waiting for the rest when it goes. The same
    // bits as DeformSurface.
    [[nodiscard]] SurfaceRefresh StartDeformSurface();

    // Back to the state right after Load, with the scene's own tuning and
    // nothing held. Allocates nothing.
    void Reset();

    // The tuning as it stands, and the scene's own (what Load read).
    const SceneTuning& Tuning() const { return tuning_; }
    const SceneTuning& OwnTuning() const { return ownTuning_; }
    // Takes effect at once: a new stiffness goes to every spring, a new mass
    // to every particle, the thrust cap to the controller; values that did
    // not change touch nothing.
    void Tune(const SceneTuning& tuning);

    // The estimated limit of stiffness / mass at the body's time step and
    // sub-steps of `tuning` (softbody/StabilityLimit.h), from the body's
    // shape as loaded.
    double StiffnessPerMassLimit(const SceneTuning& tuning) const;
    // The time of one body step: the frame's, cut into its sub-steps.
    static float SubStepTime(const SceneTuning& tuning);
    // The stiffness of the mouse's pull: grabStrength times half the room
    // the body's step leaves, so that even the strongest pull keeps the
    // body's fastest mode halfway between its own and the limit.
    float PullStiffness() const;

    SoftBody body;
    WaterSurface water;
    StepTimings timings;  // of the latest Step and DeformSurface

private:
    friend class SurfaceRefresh;
    // The second half of StartDeformSurface: waits for the triangles.
    void FinishDeformSurface();
    const std::atomic<int>* TrianglesRefreshed() const {
        return refreshing_ ? &refreshed_ : nullptr;
    }
    // Triangles refreshed between two steps of the count.
    static constexpr int kRefreshPiece = 16384;

    // The triangles' half of StartDeformSurface, on the helper.
    void RefreshTriangles();
    struct RefreshTask {
        Scene* scene;
        void operator()() const { scene->RefreshTriangles(); }
    };

    SceneSnapshot start_;
    SceneTuning tuning_;
    SceneTuning ownTuning_;
    double unitSpringEigenvalue_ = 0.0;
    std::atomic<int> refreshed_{0};
    bool refreshing_ = false;  // the helper refreshes triangles
    RefreshTask refreshTask_{this};
    // Last, so that it is gone (waited for) before what it works on.
    BackgroundTask refresher_;
};

}  // namespace wobble
