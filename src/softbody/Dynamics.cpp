// The body's time step. Every pass runs over all particles (or springs, or
// tetras) before the next begins; the order of passes, of springs and of
// float operations is what makes two runs agree bit for bit.
//
//   x(t+dt) = x(t) + v(t) dt + (2/3 a(t) - 1/6 a(t-dt)) dt^2
//   v(t+dt) = 0.999 v(t) + (5/12 a(t+dt) + 2/3 a(t) - 1/12 a(t-dt)) dt
//
// The forces that give a(t+dt) are evaluated at the new positions but with
// the velocities of time t in the damping.

#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Damping acts on each particle's velocity relative to the body's mean
// velocity: it calms vibrations without braking the body as a whole.
constexpr float kRelativeDamping = 0.15f;
// The only brake on the body as a whole.
constexpr float kVelocityRetention = 0.999f;

}  // namespace

void SoftBody::Step(float dt) {
    if (particleCount <= 0)
        return;
    Particle* const begin = particles.data();
    Particle* const end = begin + particleCount;

    // 1. Positions.
    const float h = dt * dt;
    for (Particle* p = begin; p != end; ++p) {
        p->position = (p->position + dt * p->velocity) +
                      h * (0.6666667f * p->acceleration - 0.16666667f * p->prevAcceleration);
    }

    // 2. Clear forces.
    for (Particle* p = begin; p != end; ++p)
        p->force.setValue(0.0f, 0.0f, 0.0f);

    // 3. Spring forces, in generation order.
    for (Spring& spring : springs)
        spring.ApplyForce();

    // 4. Thrust. It also computes the body frame, whose centre the scene
    // hands to the water after the step.
    controller.ApplyThrust();
    pull.ApplyForce(particles);  // the mouse's hand, if it holds a particle

    // 5. Mean velocity.
    SbVec3f sum(0.0f, 0.0f, 0.0f);
    for (const Particle* p = begin; p != end; ++p)
        sum += p->velocity;
    const SbVec3f mean = sum / static_cast<float>(particleCount);

    // 6. Damping against the mean of pass 5, then the overall retention.
    for (Particle* p = begin; p != end; ++p) {
        p->force = p->force - (p->velocity - mean) * kRelativeDamping;
        p->velocity = p->velocity * kVelocityRetention;
    }

    // 7. Acceleration history.
    for (Particle* p = begin; p != end; ++p) {
        p->oldAcceleration = p->prevAcceleration;
        p->prevAcceleration = p->acceleration;
        p->acceleration = p->force / p->mass;
    }

    // 8. Velocities.
    for (Particle* p = begin; p != end; ++p) {
        p->velocity = p->velocity +
                      dt * ((p->acceleration * 5.0f) / 12.0f + (p->prevAcceleration * 2.0f) / 3.0f -
                            (p->oldAcceleration * 1.0f) / 12.0f);
    }

    // 9. Tetra matrices, for the surface that follows the tetras.
    for (Tetra& tetra : tetras)
        tetra.UpdateMatrix();
}

void SoftBody::Pump(double growth) {
    for (Spring& spring : springs)
        spring.Grow(growth);
}

}  // namespace wobble
