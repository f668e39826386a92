#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "BodyFixture.h"
#include "math/ParallelFor.h"
#include "softbody/SpringForces.h"
#include "water/WaterSurface.h"

namespace wobble {
namespace {

using test::LatticeModel;

LatticeModel SmallBox() {
    return LatticeModel{.cubesX = 3, .cubesY = 2, .cubesZ = 2, .spacing = 2.0f};
}

bool SameBits(const SbVec3f& a, const SbVec3f& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Dynamics, FirstStepKeepsPositionsAndPushesEverySpringApart) {
    SoftBody body;
    test::LoadLattice(body, SmallBox(), 4.0f, 2.0f);
    std::vector<SbVec3f> loaded;
    for (const Particle& p : body.particles)
        loaded.push_back(p.position);

    body.Step(0.05f);

    // Each spring pushes its ends apart with stiffness * 0.1 * its loaded length.
    std::vector<SbVec3f> expectedForce(body.particleCount, SbVec3f(0, 0, 0));
    for (int s = 0; s < body.springs.size(); ++s) {
        const int a = body.springs.particleA[s];
        const int b = body.springs.particleB[s];
        SbVec3f dir = loaded[b] - loaded[a];
        const float len = dir.length();
        dir.normalize();
        expectedForce[a] -= dir * (4.0f * 0.1f * len);
        expectedForce[b] += dir * (4.0f * 0.1f * len);
    }
    for (int i = 0; i < body.particleCount; ++i) {
        const Particle& p = body.particles[i];
        EXPECT_TRUE(SameBits(p.position, loaded[i])) << i;
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(p.force[c], expectedForce[i][c], 1e-4f) << i;
            EXPECT_NEAR(p.velocity[c], 0.05f * 5.0f / 12.0f * expectedForce[i][c] / 2.0f, 1e-5f)
                << i;
        }
        EXPECT_EQ(p.prevAcceleration, SbVec3f(0, 0, 0));
    }
    // The corner of the box is pushed outwards, away from the box's middle.
    EXPECT_LT(body.particles[0].velocity[0], 0.0f);
    EXPECT_LT(body.particles[0].velocity[1], 0.0f);
}

TEST(Dynamics, BodyAtRestAtRestLengthStaysExactlyPut) {
    SoftBody body;
    test::LoadLattice(body, SmallBox(), 10.0f, 1.0f);
    test::RelaxSprings(body);
    std::vector<SbVec3f> start;
    for (const Particle& p : body.particles)
        start.push_back(p.position);
    for (int step = 0; step < 200; ++step)
        body.Step(0.05f);
    for (int i = 0; i < body.particleCount; ++i) {
        EXPECT_TRUE(SameBits(body.particles[i].position, start[i])) << i;
        EXPECT_EQ(body.particles[i].velocity, SbVec3f(0, 0, 0));
    }
}

TEST(Dynamics, UniformMotionOnlyDecaysByTheRetentionFactor) {
    SoftBody body;
    test::LoadLattice(body, SmallBox(), 0.0f, 1.0f);  // no spring force at all
    for (Particle& p : body.particles)
        p.velocity.setValue(3.0f, -1.0f, 0.5f);
    // The mean of equal velocities is their value up to the rounding of the
    // float sum, so the damping force is zero up to that rounding.
    double expected[3] = {3.0, -1.0, 0.5};
    for (int step = 0; step < 50; ++step) {
        body.Step(0.05f);
        for (double& e : expected)
            e *= 0.999;
        for (const Particle& p : body.particles) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(p.velocity[c], expected[c], 1e-5 * std::fabs(expected[c])) << step;
                ASSERT_LT(std::fabs(p.force[c]), 1e-6f) << step;
            }
        }
    }
}

TEST(Dynamics, OneMovingParticleIsDampedRelativeToTheMean) {
    SoftBody body;
    test::LoadLattice(body, SmallBox(), 0.0f, 1.0f);
    const int n = body.particleCount;
    body.particles[5].velocity.setValue(2.0f, 0.0f, -4.0f);
    body.Step(0.05f);
    const float factor = -0.15f * (1.0f - 1.0f / n);
    EXPECT_FLOAT_EQ(body.particles[5].force[0], factor * 2.0f);
    EXPECT_FLOAT_EQ(body.particles[5].force[2], factor * -4.0f);
    // The others feel the pull of the mean: +0.15 * v / n.
    EXPECT_FLOAT_EQ(body.particles[0].force[0], 0.15f * 2.0f / n);
    // Internal damping forces cancel: the body's momentum change is zero.
    SbVec3f total(0, 0, 0);
    for (const Particle& p : body.particles)
        total += p.force;
    EXPECT_NEAR(total[0], 0.0f, 1e-6f);
    EXPECT_NEAR(total[2], 0.0f, 1e-6f);
}

// One spring between two free particles, its forces applied as the step applies them.
struct LoneSpring {
    Particle p[2];
    SpringSet springs;
    SpringForces forces;

    LoneSpring(const SbVec3f& a, const SbVec3f& b, float stiffness) {
        p[0].position = a;
        p[1].position = b;
        springs.Add(0, 1, p, stiffness);
    }
    void Apply() { forces.Apply(springs, p, 2); }
};

TEST(Dynamics, SpringWithCoincidentEndsExertsNoForce) {
    LoneSpring s(SbVec3f(1, 2, 3), SbVec3f(1, 2, 3), 50.0f);
    EXPECT_EQ(s.springs.restLength[0], 0.0f);
    s.springs.restLength[0] = 2.0f;  // even when it "wants" to be long
    s.Apply();
    EXPECT_EQ(s.springs.length[0], 0.0f);
    EXPECT_EQ(s.p[0].force, SbVec3f(0, 0, 0));
    EXPECT_EQ(s.p[1].force, SbVec3f(0, 0, 0));
}

TEST(Dynamics, StretchedSpringPullsEndsTogetherWithEqualAndOppositeForces) {
    LoneSpring s(SbVec3f(0, 0, 0), SbVec3f(3, 4, 0), 2.0f);
    s.springs.restLength[0] = 4.0f;
    s.Apply();
    EXPECT_EQ(s.springs.length[0], 5.0f);
    EXPECT_FLOAT_EQ(s.p[0].force[0], 2.0f * 0.6f);
    EXPECT_FLOAT_EQ(s.p[0].force[1], 2.0f * 0.8f);
    EXPECT_EQ(s.p[1].force, -s.p[0].force);
}

TEST(Dynamics, PumpMultipliesInDoubleThenRoundsToFloat) {
    // Find a rest length where the float product 1.1f * r differs from the
    // double product rounded to float, so the test tells the two apart.
    float r = 1.0f;
    while (static_cast<float>(double(r) * 1.1) == r * 1.1f)
        r = std::nextafter(r, 2.0f);
    LoneSpring s(SbVec3f(0, 0, 0), SbVec3f(1, 0, 0), 1.0f);
    s.springs.restLength[0] = r;
    s.springs.Grow(SoftBody::kPumpGrowth);
    EXPECT_EQ(s.springs.restLength[0], static_cast<float>(double(r) * 1.1));
    EXPECT_NE(s.springs.restLength[0], r * 1.1f);

    SoftBody body;
    test::LoadLattice(body, SmallBox(), 1.0f, 1.0f);
    const std::vector<float> before = body.springs.restLength;
    body.Pump();
    body.Pump();
    for (size_t k = 0; k < before.size(); ++k) {
        const float once = static_cast<float>(double(before[k]) * 1.1);
        EXPECT_EQ(body.springs.restLength[k], static_cast<float>(double(once) * 1.1));
    }
}

// The small box, stiff and steered by its end corners, over a small water of its own.
void SteerOverWater(SoftBody& body, WaterSurface& water) {
    const LatticeModel model = SmallBox();
    test::LoadLattice(body, model, 8.0f, 1.0f);
    test::SteerByEndCorners(body, model);
    ASSERT_TRUE(water.Init(20, 20, 1.0f, 1.0f, 1.5f));
}

// One step of the body, and the water giving way at its centre, as the scene steps them.
void StepOverWater(SoftBody& body, WaterSurface& water) {
    body.Step(0.05f);
    water.Displace(body.controller.centre);
}

TEST(Dynamics, HeldThrustMovesTheSteeredBodyAlongItsForwardAndTurnsItAboutTheVertical) {
    // Each arrow held for 60 steps, ramped every step as the program does
    // while the key is down. `travel`: the sign of the centre's way along the
    // first forward direction; `turn`: the sign of (first forward x last
    // forward).y, negative for a clockwise turn seen from above (the nose
    // swings towards the side vector, the body's right).
    struct Case {
        const char* arrow;
        void (ThrustController::*ramp)();
        int travel;
        int turn;
    };
    const Case cases[] = {
        {"Up", &ThrustController::RampForward, +1, 0},
        {"Down", &ThrustController::RampBackward, -1, 0},
        {"Left", &ThrustController::RampLeft, 0, +1},
        {"Right", &ThrustController::RampRight, 0, -1},
    };
    for (const Case& c : cases) {
        SoftBody body;
        WaterSurface water;
        SteerOverWater(body, water);
        ThrustController& steer = body.controller;
        steer.UpdateFrame();
        const SbVec3f firstCentre = steer.centre, firstForward = steer.forward;
        for (int step = 0; step < 60; ++step) {
            (steer.*c.ramp)();
            body.Step(0.05f);
        }
        steer.UpdateFrame();
        const float travel = (steer.centre - firstCentre).dot(firstForward);
        const float turn = firstForward.cross(steer.forward)[1];
        // A lattice cut into tetras is not mirror-symmetric, so a straight
        // push turns it by a few degrees and a turn moves it a little.
        if (c.travel != 0)
            EXPECT_GT(travel * c.travel, 4.0f) << c.arrow;  // of a body 6 long
        else
            EXPECT_LT(std::fabs(travel), 0.5f) << c.arrow;
        if (c.turn != 0)
            EXPECT_GT(turn * c.turn, 0.15f) << c.arrow;  // more than 8 degrees
        else
            EXPECT_LT(std::fabs(turn), 0.1f) << c.arrow;
    }
}

TEST(Dynamics, BlownUpBodyKeepsSteppingWithoutUndefinedBehaviour) {
    SoftBody body;
    WaterSurface water;
    SteerOverWater(body, water);
    // The pump has no limit: rest lengths overflow to infinity and the
    // positions follow into infinities and NaNs.
    for (int step = 0; step < 1500; ++step) {
        body.Pump();
        body.controller.RampForward();
        StepOverWater(body, water);
    }
    EXPECT_FALSE(std::isfinite(body.particles[0].position[0]));
}

// A body big enough for its steps to be shared over threads, steered and
// pumped for 20 frames of 3 sub-steps: every particle's position, velocity
// and force has the same bits on 1, 2, 3 and 8 threads.
TEST(Dynamics, ABigBodySharedOverAnyNumberOfThreadsHasTheBitsOfOne) {
    LatticeModel model;
    model.cubesX = 24;
    model.cubesY = 16;
    model.cubesZ = 16;
    const int defaultThreads = ParallelThreads();
    std::vector<Particle> first;
    for (int threads : {1, 2, 3, 8}) {
        SetParallelThreads(threads);
        SoftBody body;
        test::LoadLattice(body, model, 40.0f, 1.0f);
        test::SteerByEndCorners(body, model);
        body.handling.subSteps = 3;
        ASSERT_GE(body.springCount, SpringForces::kShareFrom);
        for (int frame = 0; frame < 20; ++frame) {
            body.controller.Steer(true, false, frame > 5, false);
            if (frame % 7 == 0)
                body.Pump();
            body.Advance(0.05f);
        }
        if (first.empty()) {
            first = body.particles;
            continue;
        }
        ASSERT_EQ(body.particles.size(), first.size());
        for (size_t i = 0; i < first.size(); ++i) {
            const Particle& a = first[i];
            const Particle& b = body.particles[i];
            ASSERT_TRUE(SameBits(a.position, b.position) && SameBits(a.velocity, b.velocity) &&
                        SameBits(a.force, b.force))
                << threads << " threads, particle " << i;
        }
    }
    SetParallelThreads(defaultThreads);
    EXPECT_FALSE(SameBits(first[0].velocity, SbVec3f(0, 0, 0)));
}

// Sub-steps cut the frame's time, not the body's braking: a body moving as
// a whole keeps 0.999 of its speed a frame however many steps make the frame.
TEST(Dynamics, SubStepsKeepTheFramesRetentionOfABodyMovingAsAWhole) {
    for (int steps : {1, 4, 13}) {
        SoftBody body;
        test::LoadLattice(body, SmallBox(), 4.0f, 2.0f);
        for (float& k : body.springs.stiffness)
            k = 0.0f;  // nothing but the brake acts
        body.handling.subSteps = steps;
        for (Particle& p : body.particles)
            p.velocity.setValue(2.0f, 0.0f, -1.0f);
        body.Advance(0.05f);
        EXPECT_NEAR(body.particles[0].velocity[0], 2.0f * 0.999f, 2e-6f) << steps;
    }
}

// A spread thrust is shared in equal parts by the particles near each
// control particle: the same total push, on every particle within reach and
// on none beyond; a spread of 0 gives it to the control particle again.
TEST(Dynamics, ASpreadThrustIsSharedByTheParticlesNearEachControlParticle) {
    LatticeModel model = SmallBox();  // cubes 2 apart
    SoftBody body;
    test::LoadLattice(body, model, 4.0f, 2.0f);
    test::SteerByEndCorners(body, model);
    const auto thrustOnly = [&] {
        for (Particle& p : body.particles)
            p.force.setValue(0.0f, 0.0f, 0.0f);
        body.controller.ApplyThrust();
    };
    body.controller.forwardThrust = 12.0f;
    body.SpreadThrust(2.5f);  // a corner and its three neighbours along the edges
    const ThrustController& c = body.controller;
    ASSERT_EQ(c.spreadGroups[0].size(), 4u);
    thrustOnly();
    SbVec3f total(0, 0, 0);
    for (const Particle& p : body.particles) {
        total += p.force;
        bool near = false;
        for (int k = 0; k < 4; ++k)
            near = near || (p.position - c.controlParticles[k]->position).length() <= 2.5f;
        EXPECT_EQ(p.force.length() > 0.0f, near);
    }
    EXPECT_NEAR(total.dot(c.forward), 4 * 12.0f, 1e-4f);
    // A corner is in its own group alone: a quarter of its slot's push.
    EXPECT_NEAR(c.controlParticles[0]->force.dot(c.forward), 3.0f, 1e-5f);

    body.SpreadThrust(0.0f);
    thrustOnly();
    EXPECT_NEAR(body.controller.controlParticles[0]->force.dot(body.controller.forward), 12.0f,
                1e-5f);
}

}  // namespace
}  // namespace wobble
