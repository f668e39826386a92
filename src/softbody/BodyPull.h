#pragma once
// The mouse's hand on the body: a spring from one particle to a point held
// in space, pulling the particle towards it, and the hand's steadiness. Its
// forces join the others in the body's step, right after the thrust; while
// nothing is held they add nothing, not even a zero.
//
// Nothing else brakes the body as a whole (there is no gravity and the
// water does not push back), so a spring alone would swing the body about
// the target for minutes and send it drifting off when let go. The hand
// therefore also damps the body's mean velocity, evenly per unit of mass,
// at kHoldDamping of the critical rate of the whole body hanging on the
// spring: held still, the body comes to rest with the particle at the
// target, and stays about where it is let go. (Vibrations within the body
// are the step's own damping's business.)

#include <Inventor/SbVec3f.h>

#include <vector>

#include "softbody/Particle.h"

namespace wobble {

class BodyPull {
public:
    // Of the critical damping of the body's mass on the pull's spring.
    static constexpr float kHoldDamping = 0.7f;

    // Holds `particle` and pulls it towards `target` with `stiffness`; the
    // force never grows beyond stiffness * maxStretch, however far the
    // target is. The caller bounds the stiffness (softbody/StabilityLimit.h).
    void Hold(int particle, const SbVec3f& target, float stiffness, float maxStretch);
    void Release() { particle = -1; }
    bool Active() const { return particle >= 0; }

    // Adds the pull's force to its particle's force and the hand's damping to
    // every particle's; nothing when released, when the particle is not one
    // of `particles`, or for a target or particle that is not finite.
    void ApplyForce(std::vector<Particle>& particles) const;

    int particle = -1;  // index into the body's particles; -1: nothing held
    SbVec3f target{0.0f, 0.0f, 0.0f};
    float stiffness = 0.0f;   // force per unit of distance
    float maxStretch = 0.0f;  // distance beyond which the force stops growing
};

}  // namespace wobble
