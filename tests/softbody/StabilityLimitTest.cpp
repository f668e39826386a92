// The estimate of how stiff a body may be for its explicit step, held to
// what the step really does, and the room it leaves for the mouse's pull.

#include "softbody/StabilityLimit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "BodyFixture.h"
#include "softbody/SceneConfig.h"

namespace wobble {
namespace {

constexpr const char* kSampleScene = WOBBLE_SOURCE_DIR "/assets";

void LoadSample(SoftBody& body) {
    bool ok = false;
    test::CaptureStdout([&] { ok = LoadConfig("config.txt", body, kSampleScene).ok(); });
    ASSERT_TRUE(ok);
}

bool StaysFinite(SoftBody& body, int steps) {
    for (int k = 0; k < steps; ++k) {
        body.Step(0.05f);
        for (const Particle& p : body.particles) {
            if (!std::isfinite(p.position[0]) || !std::isfinite(p.position[1]) ||
                !std::isfinite(p.position[2]) || std::fabs(p.position[1]) > 1e4f) {
                return false;
            }
        }
    }
    return true;
}

TEST(StabilityLimit, TheSampleBodysEstimateLiesWhereItsStepTurnsUnstable) {
    SoftBody body;
    LoadSample(body);
    const double limit = StiffnessPerMassLimit(UnitSpringEigenvalue(body), 0.05f);
    EXPECT_GT(limit, 100.0);
    EXPECT_LT(limit, 120.0);
    // The step itself holds a tenth below the estimate and comes apart a
    // fifth above it (mass 1, so stiffness is stiffness per mass).
    const struct {
        double share;
        bool finite;
    } cases[] = {{0.9, true}, {1.2, false}};
    for (const auto& c : cases) {
        SoftBody stepped;
        LoadSample(stepped);
        for (float& k : stepped.springs.stiffness)
            k = static_cast<float>(c.share * limit);
        EXPECT_EQ(StaysFinite(stepped, 1500), c.finite) << c.share;
    }
}

TEST(StabilityLimit, AStifferOrFasterStepLeavesLessRoomForThePull) {
    SoftBody body;
    LoadSample(body);
    const double lambda = UnitSpringEigenvalue(body);
    const double limit = StiffnessPerMassLimit(lambda, 0.05f);
    // The room is what 3 m / dt^2 leaves after the springs' k * lambda (dt
    // is the float 0.05, a little over 0.05).
    EXPECT_NEAR(PullStiffnessRoom(lambda, 0.0f, 2.0f, 0.05f), 3.0 * 2.0 / 0.0025, 1e-3);
    EXPECT_NEAR(PullStiffnessRoom(lambda, 30.0f, 1.0f, 0.05f), 1200.0 - 30.0 * lambda, 1e-3);
    EXPECT_NEAR(PullStiffnessRoom(lambda, float(limit) * 0.999f, 1.0f, 0.05f), 0.0, 2.0);
    EXPECT_EQ(PullStiffnessRoom(lambda, float(limit) * 1.01f, 1.0f, 0.05f), 0.0);
    EXPECT_LT(PullStiffnessRoom(lambda, 30.0f, 1.0f, 0.08f),
              PullStiffnessRoom(lambda, 30.0f, 1.0f, 0.05f));
    // Nothing that cannot be stepped leaves room.
    EXPECT_EQ(PullStiffnessRoom(lambda, 30.0f, 1.0f, 0.0f), 0.0);
    EXPECT_EQ(PullStiffnessRoom(lambda, 30.0f, 0.0f, 0.05f), 0.0);
    EXPECT_EQ(PullStiffnessRoom(lambda, std::nanf(""), 1.0f, 0.05f), 0.0);
    // Halving the step quadruples the limit.
    EXPECT_NEAR(StiffnessPerMassLimit(lambda, 0.025f), 4.0 * limit, 1e-9 * limit);
}

TEST(StabilityLimit, ABodyWithoutSpringsHasNoLimit) {
    SoftBody empty;
    EXPECT_EQ(UnitSpringEigenvalue(empty), 0.0);
    EXPECT_EQ(StiffnessPerMassLimit(0.0, 0.05f), std::numeric_limits<double>::infinity());
    EXPECT_EQ(StiffnessPerMassLimit(11.0, 0.0f), std::numeric_limits<double>::infinity());
}

TEST(StabilityLimit, OneTetraHasTheEigenvalueOfItsBreathingMode) {
    // A regular tetrahedron's unit springs: when every corner moves out
    // along its direction from the centre by 1, each spring stretches by
    // 2 sqrt(2/3) and pushes each end back by that along the edge; the
    // three edges at a corner add up to 4 along the corner's direction, so
    // K has the eigenvalue 4 there, the largest of a lone tetra.
    SoftBody body;
    TetModel model;
    model.vertices = {SbVec3f(1, 1, 1), SbVec3f(1, -1, -1), SbVec3f(-1, 1, -1), SbVec3f(-1, -1, 1)};
    model.tetras = {{0, 1, 2, 3}};
    ASSERT_TRUE(body.Build(model, 1.0f, 1.0f, "tetra").ok());
    EXPECT_NEAR(UnitSpringEigenvalue(body), 4.0, 1e-6);
}

}  // namespace
}  // namespace wobble
