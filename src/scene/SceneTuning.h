#pragma once
// The numbers of a scene that the panel's sliders change while it runs.
// Untouched, each is exactly what the scene has always used, so a run
// nobody tunes is the same run bit for bit.

#include "softbody/SoftBody.h"
#include "softbody/ThrustController.h"
#include "water/WaterSurface.h"

namespace wobble {

// The defaults are the owners' own: the body's, the thrust's and the water's.
struct SceneTuning {
    // Of every spring, force units per world unit of stretch; the scene's own from config.txt.
    float stiffness = 0.0f;
    // Of every particle, mass units; the scene's own from config.txt.
    float mass = 0.0f;
    // The cap of every thrust, force units (handling.txt may set it).
    float maxThrust = ThrustController::kMaxThrust;
    // Rest-length factor per pumped frame, applied in double.
    double pumpGrowth = SoftBody::kPumpGrowth;
    // The body's time per frame, time units.
    float bodyTimeStep = SoftBody::kTimeStep;
    // Steps the body's frame is cut into (handling.txt).
    int bodySubSteps = BodyHandling().subSteps;
    // Of each particle against the body's mean velocity, force per unit of
    // relative speed (handling.txt).
    float relativeDamping = BodyHandling::kRelativeDamping;
    // The water's time per frame, time units.
    float waterTimeStep = WaterSurface::kTimeStep;
    // The mouse's pull, as a share of the stiffness the body's step leaves
    // room for (see Scene::PullStiffness): 0 holds nothing, 1 pulls as hard
    // as is safe.
    float grabStrength = 0.5f;

    bool operator==(const SceneTuning&) const = default;
};

}  // namespace wobble
