#include <gtest/gtest.h>

#include <cmath>

#include "softbody/ThrustController.h"

namespace wobble {
namespace {

// Eight free particles in two groups: the front group around `front`, the
// rear group around `rear`, each spread across a unit square.
struct EightParticles {
    Particle p[8];
    ThrustController controller;

    EightParticles(SbVec3f front, SbVec3f rear) {
        const SbVec3f spread[4] = {{0, 0, -1}, {0, 0, 1}, {0, 1, -1}, {0, 1, 1}};
        Particle* slots[8];
        for (int k = 0; k < 4; ++k) {
            p[k].position = front + spread[k];
            p[k + 4].position = rear + spread[k];
        }
        for (int k = 0; k < 8; ++k)
            slots[k] = &p[k];
        controller.SetControlParticles(slots);
    }
};

TEST(ThrustController, RampsReachExactlyTheMaximumAndDecayToZero) {
    ThrustController c;
    for (int frame = 0; frame < 29; ++frame)
        c.RampForward();
    EXPECT_EQ(c.forwardThrust, 29.0f);
    c.RampForward();
    c.RampForward();
    EXPECT_EQ(c.forwardThrust, 30.0f);
    for (int frame = 0; frame < 29; ++frame)
        c.DecayForwardBackward();
    EXPECT_EQ(c.forwardThrust, 1.0f);
    c.DecayForwardBackward();
    c.DecayForwardBackward();
    EXPECT_EQ(c.forwardThrust, 0.0f);
    EXPECT_EQ(c.backwardThrust, 0.0f);
}

TEST(ThrustController, OpposingKeysTogetherLeaveTheSecondAtOneStep) {
    ThrustController c;
    for (int frame = 0; frame < 10; ++frame) {
        c.RampForward();   // Up held
        c.RampBackward();  // Down held: runs after Up in every frame
        c.RampLeft();
        c.RampRight();
        EXPECT_EQ(c.forwardThrust, 0.0f);
        EXPECT_EQ(c.backwardThrust, 1.0f);
        EXPECT_EQ(c.leftThrust, 0.0f);
        EXPECT_EQ(c.rightThrust, 1.0f);
    }
}

TEST(ThrustController, ReversingDropsTheOtherThrustAtOnce) {
    ThrustController c;
    for (int frame = 0; frame < 40; ++frame)
        c.RampForward();
    ASSERT_EQ(c.forwardThrust, 30.0f);
    c.RampBackward();
    EXPECT_EQ(c.forwardThrust, 0.0f);
    EXPECT_EQ(c.backwardThrust, 1.0f);
}

TEST(ThrustController, StepThatDoesNotDivideTheMaximumOvershootsOnceAndDecayStopsAtZero) {
    ThrustController c;
    c.thrustStep = 0.7f;
    for (int frame = 0; frame < 100; ++frame)
        c.RampRight();
    EXPECT_GT(c.rightThrust, c.maxThrust);
    EXPECT_LT(c.rightThrust, c.maxThrust + c.thrustStep);
    for (int frame = 0; frame < 100; ++frame)
        c.DecayLeftRight();
    EXPECT_EQ(c.rightThrust, 0.0f);
}

TEST(ThrustController, FrameFollowsTheGroupMeans) {
    EightParticles body(SbVec3f(10, 2, 0), SbVec3f(0, 0, 0));
    body.controller.UpdateFrame();
    const ThrustController& c = body.controller;
    EXPECT_EQ(c.frontMean, SbVec3f(10, 2.5f, 0));
    EXPECT_EQ(c.rearMean, SbVec3f(0, 0.5f, 0));
    EXPECT_EQ(c.GetCentre(), SbVec3f(5, 1.5f, 0));
    EXPECT_EQ(c.GetForward(), SbVec3f(1, 0, 0));  // horizontal: the y difference is dropped
    EXPECT_EQ(c.up, SbVec3f(0, 1, 0));
    EXPECT_EQ(c.GetSide(), SbVec3f(0, 0, 1));  // forward x up: +z is the right side
}

TEST(ThrustController, ForcesFollowTheTableAndTheTurnIsACouple) {
    EightParticles body(SbVec3f(0, 0, -8), SbVec3f(0, 0, 0));  // nose towards -z
    ThrustController& c = body.controller;
    c.forwardThrust = 5.0f;
    c.backwardThrust = 0.0f;
    c.rightThrust = 3.0f;
    c.leftThrust = 2.0f;  // both turns at once, to see each particle's share
    c.ApplyThrust();
    const SbVec3f forward = c.GetForward();
    const SbVec3f side = c.GetSide();
    ASSERT_EQ(forward, SbVec3f(0, 0, -1));
    ASSERT_EQ(side, SbVec3f(1, 0, 0));
    const float alongForward[8] = {5, 5, 5, 5, 0, 0, 0, 0};
    const float alongSide[8] = {3, -2, 3, -2, 2, -3, 2, -3};
    SbVec3f total(0, 0, 0);
    for (int k = 0; k < 8; ++k) {
        const SbVec3f f = body.p[k].force;
        EXPECT_EQ(f.dot(forward), alongForward[k]) << k;
        EXPECT_EQ(f.dot(side), alongSide[k]) << k;
        total += f;
    }
    EXPECT_EQ(total,
              forward * (4 * 5.0f));  // 4 (forward - backward) along forward, no sideways push
}

TEST(ThrustController, GroupsDifferingOnlyInHeightGiveNoThrustButStillACentre) {
    EightParticles body(SbVec3f(20, 1, 20), SbVec3f(20, -2, 20));
    body.controller.forwardThrust = 30.0f;
    body.controller.rightThrust = 30.0f;
    body.controller.ApplyThrust();
    EXPECT_EQ(body.controller.GetForward(), SbVec3f(0, 0, 0));
    EXPECT_EQ(body.controller.GetSide(), SbVec3f(0, 0, 0));
    for (const Particle& p : body.p)
        EXPECT_EQ(p.force, SbVec3f(0, 0, 0));
    // The centre, where the scene has the water give way, is still found.
    EXPECT_EQ(body.controller.GetCentre(), SbVec3f(20, 0, 20));
}

TEST(ThrustController, ParticleInTwoSlotsFeelsBothSlots) {
    Particle shared, others[7];
    shared.position.setValue(4, 0, 0);
    for (int k = 0; k < 7; ++k)
        others[k].position.setValue(k < 3 ? 4.0f : 0.0f, 0, float(k));
    Particle* slots[8] = {&shared,    &others[0], &shared,    &others[2],
                          &others[3], &others[4], &others[5], &others[6]};
    ThrustController c;
    c.SetControlParticles(slots);
    c.forwardThrust = 2.0f;
    c.rightThrust = 1.0f;
    c.ApplyThrust();
    // Slots 0 and 2 each add the forward thrust and the right thrust.
    const SbVec3f f = shared.force;
    EXPECT_FLOAT_EQ(f.dot(c.GetForward()), 4.0f);
    EXPECT_FLOAT_EQ(f.dot(c.GetSide()), 2.0f);
}

TEST(ThrustController, MissingControlParticlesMeanNoSteering) {
    ThrustController c;
    EXPECT_FALSE(c.HasControlParticles());
    c.forwardThrust = 30.0f;
    c.ApplyThrust();  // must not touch a missing particle
    EXPECT_EQ(c.GetCentre(), SbVec3f(0, 0, 0));
}

}  // namespace
}  // namespace wobble
