#pragma once
// The numbers of a scene that the panel's sliders change while it runs.
// Untouched, each is exactly what the scene has always used, so a run
// nobody tunes is the same run bit for bit.

namespace wobble {

struct SceneTuning {
    float stiffness = 0.0f;       // of every spring; the scene's own from config.txt
    float mass = 0.0f;            // of every particle; the scene's own from config.txt
    float maxThrust = 30.0f;      // the cap of every thrust (handling.txt may set it)
    double pumpGrowth = 1.1;      // rest-length factor per pumped frame (in double)
    float bodyTimeStep = 0.05f;   // the body's time per frame
    int bodySubSteps = 1;         // steps the body's frame is cut into (handling.txt)
    float relativeDamping = 0.15f;  // of each particle against the body's mean (handling.txt)
    float waterTimeStep = 0.03f;  // the water's step per frame
    // The mouse's pull, as a share of the stiffness the body's step leaves
    // room for (see Scene::PullStiffness): 0 holds nothing, 1 pulls as hard
    // as is safe.
    float grabStrength = 0.5f;

    bool operator==(const SceneTuning&) const = default;
};

}  // namespace wobble
