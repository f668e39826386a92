#include "scene/Scene.h"

#include "softbody/SceneConfig.h"

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
    body.BindSurface();

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
    return Done{};
}

bool Scene::IsSimulated() const {
    return body.particleCount > 0 && body.controller.HasControlParticles();
}

void Scene::Step() {
    Clock::time_point start = Clock::now();
    body.Step(kBodyTimeStep);
    // The body's sphere presses the water where the step's thrust placed the
    // centre; nothing else in the step touches the water.
    if (IsSimulated())
        water.Displace(body.controller.centre);
    timings.bodyStep = MillisecondsSince(start);

    start = Clock::now();
    water.Step(kWaterTimeStep);
    timings.waterStep = MillisecondsSince(start);
}

void Scene::Splash() {
    water.Displace(SbVec3f(kSplashPoint[0], kSplashPoint[1], kSplashPoint[2]));
}

void Scene::Pump() {
    body.Pump();
}

void Scene::DeformSurface() {
    const Clock::time_point start = Clock::now();
    body.DeformSurface();
    timings.surface = MillisecondsSince(start);
}

void Scene::Reset() {
    start_.Restore(body, water);
}

}  // namespace wobble
