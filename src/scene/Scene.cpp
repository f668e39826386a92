#include "scene/Scene.h"

#include <algorithm>
#include <cmath>

#include "softbody/HandlingFile.h"
#include "softbody/SceneConfig.h"
#include "softbody/StabilityLimit.h"

namespace wobble {

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

Status Scene::Load(const std::string& folder, const std::string& configFile) {
    Status loaded = LoadConfig(configFile, body, folder);
    if (!loaded)
        return loaded;
    Result<SceneHandling> handling = ReadHandlingFile(folder);
    if (!handling) {
        PrintInputError(handling.error());
        return handling.error();
    }
    body.BindSurface();
    body.handling.thrustSpread = handling->body.thrustSpread;
    body.SpreadThrust(handling->body.thrustSpread);

    const ThrustController& controller = body.controller;
    const SbVec3f across =
        controller.controlParticles[2]->position - controller.controlParticles[3]->position;
    const float radius = 0.5f * across.length();
    Status water = this->water.Init(kWaterCells, kWaterCells, kWaterSpacing, kWaterSpacing, radius);
    if (!water) {
        PrintInputError(water.error());
        return water;
    }
    start_.Capture(body, this->water);
    // Every spring and every particle got the configuration's values.
    ownTuning_ = SceneTuning();
    ownTuning_.stiffness = body.springs.empty() ? 0.0f : body.springs.stiffness[0];
    ownTuning_.mass = body.particles[0].mass;
    ownTuning_.maxThrust = handling->maxThrust;
    ownTuning_.bodySubSteps = handling->body.subSteps;
    ownTuning_.relativeDamping = handling->body.relativeDamping;
    tuning_ = SceneTuning();
    tuning_.stiffness = ownTuning_.stiffness;
    tuning_.mass = ownTuning_.mass;
    Tune(ownTuning_);
    unitSpringEigenvalue_ = UnitSpringEigenvalue(body);
    return Done{};
}

bool Scene::IsSimulated() const {
    return body.particleCount > 0 && body.controller.HasControlParticles();
}

void Scene::Step() {
    Clock::time_point start = Clock::now();
    body.Advance(tuning_.bodyTimeStep);
    // The body's sphere presses the water where the step's thrust placed the
    // centre; nothing else in the step touches the water.
    if (IsSimulated())
        water.Displace(body.controller.centre);
    timings.bodyStep = MillisecondsSince(start);

    start = Clock::now();
    water.Step(tuning_.waterTimeStep);
    timings.waterStep = MillisecondsSince(start);
}

void Scene::Splash() {
    water.Displace(SbVec3f(kSplashPoint[0], kSplashPoint[1], kSplashPoint[2]));
}

void Scene::SplashAt(float x, float z) {
    water.Displace(SbVec3f(x, kSplashPoint[1], z));
}

void Scene::Pump() {
    body.Pump(tuning_.pumpGrowth);
}

void Scene::DeformSurface() {
    const Clock::time_point start = Clock::now();
    FinishDeformSurface();
    body.DeformSurface();
    timings.surface = MillisecondsSince(start);
}

SurfaceRefresh& SurfaceRefresh::operator=(SurfaceRefresh&& other) noexcept {
    if (this != &other) {
        Finish();
        scene_ = std::exchange(other.scene_, nullptr);
    }
    return *this;
}

const std::atomic<int>* SurfaceRefresh::Refreshed() const {
    return scene_ != nullptr ? scene_->TrianglesRefreshed() : nullptr;
}

void SurfaceRefresh::Finish() {
    if (scene_ != nullptr)
        std::exchange(scene_, nullptr)->FinishDeformSurface();
}

SurfaceRefresh Scene::StartDeformSurface() {
    const Clock::time_point start = Clock::now();
    FinishDeformSurface();
    body.DeformSurfaceVertices();
    body.surface.PrepareCorners();
    refreshed_.store(0, std::memory_order_relaxed);
    // A small surface is not worth waking the helper for.
    refreshing_ = body.surface.triangleCount > kRefreshPiece;
    if (refreshing_)
        refresher_.Start(refreshTask_);
    else
        RefreshTriangles();
    timings.surface = MillisecondsSince(start);
    return SurfaceRefresh(this);
}

void Scene::RefreshTriangles() {
    // In order, so that everything below the count is done.
    SurfaceMesh& mesh = body.surface;
    for (int begin = 0; begin < mesh.triangleCount; begin += kRefreshPiece) {
        const int end = std::min(mesh.triangleCount, begin + kRefreshPiece);
        mesh.RefreshTriangles(begin, end);
        refreshed_.store(end, std::memory_order_release);
        refreshed_.notify_all();
    }
}

void Scene::FinishDeformSurface() {
    refresher_.Wait();
    refreshing_ = false;
}

void Scene::Reset() {
    FinishDeformSurface();
    start_.Restore(body, water);
    body.pull.Release();
    Tune(ownTuning_);
}

void Scene::Tune(const SceneTuning& asked) {
    // What cannot be simulated keeps the value it replaces: a mass must be
    // positive, like the configuration's; the rest finite and not negative.
    SceneTuning tuning = asked;
    const auto keep = [](auto& value, auto old, bool usable) {
        if (!usable)
            value = old;
    };
    keep(tuning.stiffness, tuning_.stiffness, std::isfinite(tuning.stiffness));
    keep(tuning.mass, tuning_.mass, std::isfinite(tuning.mass) && tuning.mass > 0.0f);
    keep(tuning.maxThrust, tuning_.maxThrust,
         std::isfinite(tuning.maxThrust) && tuning.maxThrust >= 0.0f);
    keep(tuning.pumpGrowth, tuning_.pumpGrowth,
         std::isfinite(tuning.pumpGrowth) && tuning.pumpGrowth > 0.0);
    keep(tuning.bodyTimeStep, tuning_.bodyTimeStep,
         std::isfinite(tuning.bodyTimeStep) && tuning.bodyTimeStep >= 0.0f);
    keep(tuning.waterTimeStep, tuning_.waterTimeStep,
         std::isfinite(tuning.waterTimeStep) && tuning.waterTimeStep >= 0.0f);
    keep(tuning.bodySubSteps, tuning_.bodySubSteps,
         tuning.bodySubSteps >= 1 && tuning.bodySubSteps <= SceneHandling::kMostSubSteps);
    keep(tuning.relativeDamping, tuning_.relativeDamping,
         std::isfinite(tuning.relativeDamping) && tuning.relativeDamping >= 0.0f);
    keep(tuning.grabStrength, tuning_.grabStrength,
         tuning.grabStrength >= 0.0f && tuning.grabStrength <= 1.0f);
    if (tuning.stiffness != tuning_.stiffness) {
        for (float& k : body.springs.stiffness)
            k = tuning.stiffness;
    }
    if (tuning.mass != tuning_.mass) {
        for (Particle& p : body.particles)
            p.mass = tuning.mass;
    }
    body.controller.maxThrust = tuning.maxThrust;
    body.handling.subSteps = tuning.bodySubSteps;
    body.handling.relativeDamping = tuning.relativeDamping;
    tuning_ = tuning;
}

double Scene::StiffnessPerMassLimit(const SceneTuning& tuning) const {
    return wobble::StiffnessPerMassLimit(unitSpringEigenvalue_, SubStepTime(tuning));
}

float Scene::SubStepTime(const SceneTuning& tuning) {
    return tuning.bodySubSteps <= 1 ? tuning.bodyTimeStep
                                    : tuning.bodyTimeStep / static_cast<float>(tuning.bodySubSteps);
}

float Scene::PullStiffness() const {
    const double room = PullStiffnessRoom(unitSpringEigenvalue_, tuning_.stiffness, tuning_.mass,
                                          SubStepTime(tuning_));
    return static_cast<float>(0.5 * room * static_cast<double>(tuning_.grabStrength));
}

}  // namespace wobble
