#include "softbody/Spring.h"

#include "common/VecMath.h"

namespace wobble {

Spring::Spring(Particle* a, Particle* b, float stiffness)
    : particleA(a), particleB(b), stiffness(stiffness) {
    SbVec3f stretched = a->position - b->position;
    stretched *= 1.1f;
    restLength = VecLength(stretched);
}

void Spring::ApplyForce() {
    SbVec3f d = particleB->position - particleA->position;
    length = VecLength(d);
    VecNormalize(d);  // coincident ends leave d at zero: no force
    const float f = stiffness * (length - restLength);
    const SbVec3f pull = f * d;
    particleA->force = particleA->force + pull;
    particleB->force = particleB->force + (-pull);
}

void Spring::Grow() { restLength = static_cast<float>(static_cast<double>(restLength) * 1.1); }

}  // namespace wobble
