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
//
// A big body's passes are shared out by particle over the pool's threads
// (math/ParallelFor.h), the springs' pass as SpringForces explains. Every
// particle's arithmetic is its own, and the one sum over all particles,
// the mean velocity's, is still taken in particle order on one thread, so
// the bits are the same for any number of threads.

#include <algorithm>
#include <cmath>

#include "math/ParallelFor.h"
#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// The only brake on the body as a whole, per step of the program's one step a frame.
constexpr float kVelocityRetention = 0.999f;
// Bodies of fewer particles are stepped on one thread: waking the pool
// would cost more than it saves. Pieces are a few microseconds of work.
constexpr int kShareFrom = 4096;
constexpr int kParticlePiece = 2048;

// Pass 1 on particles [begin, end): positions; with `sum`, the velocities
// are added to it in particle order on the way.
void MoveParticles(Particle* begin, Particle* end, float dt, SbVec3f* sum) {
    const float h = dt * dt;
    for (Particle* p = begin; p != end; ++p) {
        p->position = (p->position + dt * p->velocity) +
                      h * (0.6666667f * p->acceleration - 0.16666667f * p->prevAcceleration);
        if (sum != nullptr)
            *sum += p->velocity;
    }
}

// Passes 6 to 8 on particles [begin, end).
void Accelerate(Particle* begin, Particle* end, float dt, const SbVec3f& mean, float damping,
                float retention) {
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
}

}  // namespace

void SoftBody::Step(float dt) {
    StepRetaining(dt, kVelocityRetention, true);
}

void SoftBody::Advance(float frameTime) {
    const int steps = std::max(1, handling.subSteps);
    if (steps == 1) {
        StepRetaining(frameTime, kVelocityRetention, true);
        return;
    }
    const float dt = frameTime / static_cast<float>(steps);
    const float retention =
        static_cast<float>(std::pow(static_cast<double>(kVelocityRetention), 1.0 / steps));
    // Only the frame's last positions are drawn: the tetras' matrices are
    // refreshed for them alone.
    for (int s = 0; s < steps; ++s)
        StepRetaining(dt, retention, s == steps - 1);
}

void SoftBody::StepRetaining(float dt, float retention, bool refreshTetras) {
    if (particleCount <= 0)
        return;
    Particle* const begin = particles.data();
    Particle* const end = begin + particleCount;
    const bool shared = particleCount >= kShareFrom && ParallelThreads() > 1;

    // 1. Positions. Passes 2 to 4 change forces only, so the velocities are
    // already those whose mean pass 5 takes: they are summed here, in
    // particle order.
    SbVec3f sum(0.0f, 0.0f, 0.0f);
    if (shared) {
        ParallelFor(particleCount, kParticlePiece, [&](int from, int to) {
            MoveParticles(begin + from, begin + to, dt, nullptr);
        });
    } else {
        MoveParticles(begin, end, dt, &sum);
    }

    // 2 and 3. Spring forces: every force cleared, then the springs' pulls
    // added in generation order. Shared, the velocities' sum (one chain of
    // additions in particle order) goes beside them: the pass reads no
    // velocity.
    if (shared) {
        auto sumVelocities = [&] {
            for (const Particle* p = begin; p != end; ++p)
                sum += p->velocity;
        };
        springForces_.Apply(springs, begin, particleCount, sumVelocities);
    } else {
        springForces_.Apply(springs, begin, particleCount);
    }

    // 4. Thrust. It also computes the body frame, whose centre the scene
    // hands to the water after the step.
    controller.ApplyThrust();
    pull.ApplyForce(particles);  // the mouse's hand, if it holds a particle

    // 5. Mean velocity, of the sum taken in pass 1.
    const SbVec3f mean = sum / static_cast<float>(particleCount);

    // 6 to 8. Damping acts on each particle's velocity relative to the
    // body's mean velocity: it calms vibrations without braking the body as
    // a whole.
    const float damping = handling.relativeDamping;
    if (shared) {
        ParallelFor(particleCount, kParticlePiece, [&](int from, int to) {
            Accelerate(begin + from, begin + to, dt, mean, damping, retention);
        });
    } else {
        Accelerate(begin, end, dt, mean, damping, retention);
    }

    if (!refreshTetras)
        return;
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
