#include "softbody/Spring.h"

#include "math/VecMath.h"

namespace wobble {

Spring::Spring(Particle* a, Particle* b, float stiffness)
    : particleA(a), particleB(b), stiffness(stiffness) {
    SbVec3f stretched = a->position - b->position;
    stretched *= 1.1f;
    restLength = VecLength(stretched);
}

void Spring::Grow(double factor) {
    restLength = static_cast<float>(static_cast<double>(restLength) * factor);
}

}  // namespace wobble
