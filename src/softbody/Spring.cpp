#include "softbody/Spring.h"

#include "math/VecMath.h"

namespace wobble {

void SpringSet::Reserve(size_t count) {
    particleA.reserve(count);
    particleB.reserve(count);
    stiffness.reserve(count);
    restLength.reserve(count);
    length.reserve(count);
}

void SpringSet::Clear() {
    for (std::vector<int>* ends : {&particleA, &particleB})
        std::vector<int>().swap(*ends);
    for (std::vector<float>* values : {&stiffness, &restLength, &length})
        std::vector<float>().swap(*values);
}

void SpringSet::Add(int a, int b, const Particle* particles, float k) {
    SbVec3f stretched = particles[a].position - particles[b].position;
    stretched *= 1.1f;
    particleA.push_back(a);
    particleB.push_back(b);
    stiffness.push_back(k);
    restLength.push_back(VecLength(stretched));
    length.push_back(0.0f);
}

void SpringSet::Grow(double factor) {
    for (float& rest : restLength)
        rest = static_cast<float>(static_cast<double>(rest) * factor);
}

}  // namespace wobble
