// The mouse's pull on one particle: its spring, its cap, the hand's damping
// of the whole body. (That a released pull adds nothing at all, the golden
// state and the scene's state hash hold bit for bit.)

#include "softbody/BodyPull.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>


namespace wobble {
namespace {

std::vector<Particle> Particles(int count) {
    std::vector<Particle> particles(static_cast<size_t>(count));
    for (Particle& p : particles)
        p.mass = 2.0f;
    return particles;
}

TEST(BodyPull, TheSpringPullsItsParticleAndNoFartherThanTheCap) {
    const struct {
        const char* what;
        int particle;
        SbVec3f target;
        SbVec3f force;  // on particle 1
    } cases[] = {
        {"within the cap", 1, SbVec3f(1, 2, 0), SbVec3f(2, 4, 0)},
        {"beyond the cap", 1, SbVec3f(30, 0, -40), SbVec3f(6, 0, -8)},  // 50 away, cap 5
        {"released", -1, SbVec3f(1, 2, 0), SbVec3f(0, 0, 0)},
        {"not a particle", 3, SbVec3f(1, 2, 0), SbVec3f(0, 0, 0)},
        {"target not finite", 1, SbVec3f(INFINITY, 0, 0), SbVec3f(0, 0, 0)},
    };
    for (const auto& c : cases) {
        std::vector<Particle> particles = Particles(3);
        BodyPull pull;
        pull.Hold(c.particle, c.target, 2.0f, 5.0f);
        pull.ApplyForce(particles);
        EXPECT_EQ(particles[1].force, c.force) << c.what;
        EXPECT_EQ(particles[0].force, SbVec3f(0, 0, 0)) << c.what;  // at rest: no damping
    }
}

TEST(BodyPull, TheHandDampsTheBodysMeanVelocityEvenlyPerMass) {
    std::vector<Particle> particles = Particles(4);
    particles[0].velocity.setValue(4, 0, 0);  // mean (1, 0, 0)
    particles[3].mass = 6.0f;                 // body mass 12
    BodyPull pull;
    pull.Hold(2, SbVec3f(0, 0, 0), 3.0f, 1.0f);  // the held particle at its target
    pull.ApplyForce(particles);
    const float rate = 2.0f * BodyPull::kHoldDamping * std::sqrt(3.0f / 12.0f);
    EXPECT_NEAR(particles[0].force[0], -2.0f * rate, 1e-6f);
    EXPECT_NEAR(particles[3].force[0], -6.0f * rate, 1e-6f);
    EXPECT_EQ(particles[1].force[1], 0.0f);
}

}  // namespace
}  // namespace wobble
