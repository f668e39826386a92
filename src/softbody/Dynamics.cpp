// The body's time step. Every pass runs over all particles (or springs, or
// tetras) before the next begins; the order of passes, of springs and of
// float operations is what makes two runs agree bit for bit.
//
//   x(t+dt) = x(t) + v(t) dt + (2/3 a(t) - 1/6 a(t-dt)) dt^2
//   v(t+dt) = 0.999 v(t) + (5/12 a(t+dt) + 2/3 a(t) - 1/12 a(t-dt)) dt
//
// The forces that give a(t+dt) are evaluated at the new positions but with
// the velocities of time t in the damping.
//
// A big body outgrows the caches, and then the step's time goes into
// carrying particles through memory: passes that need nothing from another
// particle share one trip through the array (1 with 5's sum, 6 with 7 and 8).

#include <algorithm>
#include <cmath>

#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// The only brake on the body as a whole, per step of the program's one step a frame.
constexpr float kVelocityRetention = 0.999f;

}  // namespace

void SoftBody::Step(float dt) {
    StepRetaining(dt, kVelocityRetention);
}

void SoftBody::Advance(float frameTime) {
    const int steps = std::max(1, handling.subSteps);
    if (steps == 1) {
        StepRetaining(frameTime, kVelocityRetention);
        return;
    }
    const float dt = frameTime / static_cast<float>(steps);
    const float retention =
        static_cast<float>(std::pow(static_cast<double>(kVelocityRetention), 1.0 / steps));
    for (int s = 0; s < steps; ++s)
        StepRetaining(dt, retention);
}

void SoftBody::StepRetaining(float dt, float retention) {
    if (particleCount <= 0)
        return;
    // Damping acts on each particle's velocity relative to the body's mean
    // velocity: it calms vibrations without braking the body as a whole.
    const float damping = handling.relativeDamping;
    Particle* const begin = particles.data();
    Particle* const end = begin + particleCount;

    // 1. Positions. Passes 2 to 4 change forces only, so the velocities are
    // already those whose mean pass 5 takes: they are summed here, in
    // particle order.
    const float h = dt * dt;
    SbVec3f sum(0.0f, 0.0f, 0.0f);
    for (Particle* p = begin; p != end; ++p) {
        p->position = (p->position + dt * p->velocity) +
                      h * (0.6666667f * p->acceleration - 0.16666667f * p->prevAcceleration);
        sum += p->velocity;
    }

    // 2 and 3. Spring forces: every force cleared, then the springs' pulls
    // added in generation order.
    springForces_.Apply(springs, begin, particleCount);

    // 4. Thrust. It also computes the body frame, whose centre the scene
    // hands to the water after the step.
    controller.ApplyThrust();
    pull.ApplyForce(particles);  // the mouse's hand, if it holds a particle

    // 5. Mean velocity, of the sum taken in pass 1.
    const SbVec3f mean = sum / static_cast<float>(particleCount);

    for (Particle* p = begin; p != end; ++p) {
        // 6. Damping against the mean of pass 5, then the overall retention.
        p->force = p->force - (p->velocity - mean) * damping;
        p->velocity = p->velocity * retention;
        // 7. Acceleration history.
        p->oldAcceleration = p->prevAcceleration;
        p->prevAcceleration = p->acceleration;
        p->acceleration = p->force / p->mass;
        // 8. Velocities.
        p->velocity = p->velocity +
                      dt * ((p->acceleration * 5.0f) / 12.0f + (p->prevAcceleration * 2.0f) / 3.0f -
                            (p->oldAcceleration * 1.0f) / 12.0f);
    }

    // 9. Matrices of the tetras that carry the surface (DeformSurface reads
    // no others). Neighbouring vertices mostly share their tetra.
    const int carried = std::min(surface.vertexCount, static_cast<int>(surface.vertexTetra.size()));
    int previous = -1;
    for (int v = 0; v < carried; ++v) {
        const int t = surface.vertexTetra[v];
        if (t == previous || t < 0 || t >= tetraCount)
            continue;
        tetras[t].UpdateMatrix();
        previous = t;
    }
}

void SoftBody::Pump(double growth) {
    springs.Grow(growth);
}

}  // namespace wobble
