#pragma once

#include <Inventor/SbVec3f.h>

namespace wobble {

// One mass point of the body. The three accelerations form the history that
// the Beeman-type step needs: after a step, `acceleration` belongs to the new
// time t + dt, `prevAcceleration` to t and `oldAcceleration` to t - dt.
class Particle {
public:
    float mass = 0.0f;                           // every particle gets the scene's mass
    SbVec3f position{0.0f, 0.0f, 0.0f};          // world units
    SbVec3f velocity{0.0f, 0.0f, 0.0f};          // world units per time unit
    SbVec3f acceleration{0.0f, 0.0f, 0.0f};      // at t + dt, after the latest step
    SbVec3f prevAcceleration{0.0f, 0.0f, 0.0f};  // at t
    SbVec3f oldAcceleration{0.0f, 0.0f, 0.0f};   // at t - dt
    SbVec3f force{0.0f, 0.0f, 0.0f};             // accumulator, cleared and refilled every step
};

}  // namespace wobble
