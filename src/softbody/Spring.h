#pragma once

#include "math/VecMath.h"
#include "softbody/Particle.h"

namespace wobble {

// One edge spring between two particles of the body (not owned).
class Spring {
public:
    // The rest length is the length of 1.1 * (a - b): every spring starts 10 %
    // longer than its loaded edge, so a freshly loaded body swells at first.
    Spring(Particle* a, Particle* b, float stiffness);

    // Adds stiffness * (length - restLength) along the unit vector from A to B
    // to A, and its negation to B; also stores the current length. Inline: the
    // step calls it for every spring, every frame.
    void ApplyForce() {
        SbVec3f d = particleB->position - particleA->position;
        length = VecNormalize(d);  // coincident ends leave d at zero: no force
        const float f = stiffness * (length - restLength);
        const SbVec3f pull = f * d;
        particleA->force = particleA->force + pull;
        particleB->force = particleB->force + (-pull);
    }

    // restLength *= factor, formed in double and stored as float (the pump;
    // its own factor is 1.1).
    void Grow(double factor);

    Particle* particleA;
    Particle* particleB;
    float stiffness;
    float restLength;
    float length = 0.0f;  // current length, written by every ApplyForce
};

}  // namespace wobble
