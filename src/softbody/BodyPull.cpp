#include "softbody/BodyPull.h"

#include <cmath>

#include "math/VecMath.h"

namespace wobble {

void BodyPull::Hold(int held, const SbVec3f& to, float pullStiffness, float stretchCap) {
    particle = held;
    target = to;
    stiffness = pullStiffness;
    maxStretch = stretchCap;
}

void BodyPull::ApplyForce(std::vector<Particle>& particles) const {
    if (particle < 0 || static_cast<size_t>(particle) >= particles.size())
        return;
    Particle& p = particles[static_cast<size_t>(particle)];
    SbVec3f reach = target - p.position;
    if (!VecIsFinite(reach))
        return;
    const float distance = VecLength(reach);
    // A far target pulls no harder than one maxStretch away: a jerk of the
    // mouse moves the body, it does not fling one particle out of it.
    if (distance > maxStretch && distance > 0.0f)
        reach *= maxStretch / distance;
    p.force = p.force + stiffness * reach;

    // The body's mean velocity (a plain mean, as the step's own damping
    // takes it) and its mass.
    SbVec3f sum(0.0f, 0.0f, 0.0f);
    double mass = 0.0;
    for (const Particle& q : particles) {
        sum += q.velocity;
        mass += q.mass;
    }
    const SbVec3f mean = sum / static_cast<float>(particles.size());
    if (!(mass > 0.0) || !VecIsFinite(mean))
        return;
    // c = 2 zeta sqrt(k M), shared out as c m_i / M: each particle is
    // slowed at the rate 2 zeta sqrt(k / M).
    const float rate = static_cast<float>(2.0 * kHoldDamping * std::sqrt(stiffness / mass));
    for (Particle& q : particles)
        q.force = q.force - (q.mass * rate) * mean;
}

}  // namespace wobble
