// The shipped scene (assets/): it loads with its counts printed, its skin is
// bound and reproduced, it floats in the middle of the water dipping into it,
// its control groups sit at nose and tail, and it stays stable for thousands
// of frames under full thrust and turning.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "TestFiles.h"
#include "math/VecMath.h"
#include "softbody/SceneConfig.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::CaptureStdout;

constexpr float kBodyStep = 0.05f;

class SampleScene : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(WOBBLE_SOURCE_DIR "/assets"), 0);
        err_ = CaptureStderr(
            [&] { out_ = CaptureStdout([&] { ok_ = LoadConfig("config.txt", body_).ok(); }); });
        body_.BindSurface();
    }
    void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }

    // Lowest and highest coordinate of the particles along one axis.
    std::pair<float, float> Extent(int axis) const {
        float low = 1e30f, high = -1e30f;
        for (const Particle& p : body_.particles) {
            low = std::min(low, p.position[axis]);
            high = std::max(high, p.position[axis]);
        }
        return {low, high};
    }

    // The largest strain |length / restLength - 1| of any spring.
    float WorstStrain() const {
        float worst = 0.0f;
        const SpringSet& s = body_.springs;
        for (int k = 0; k < s.size(); ++k) {
            const float length = VecLength(body_.particles[s.particleA[k]].position -
                                           body_.particles[s.particleB[k]].position);
            worst = std::max(worst, std::fabs(length / s.restLength[k] - 1.0f));
        }
        return worst;
    }

    // The fastest particle relative to the body's mean velocity.
    float WorstRelativeSpeed() const {
        SbVec3f mean(0, 0, 0);
        for (const Particle& p : body_.particles)
            mean += p.velocity;
        mean /= static_cast<float>(body_.particleCount);
        float worst = 0.0f;
        for (const Particle& p : body_.particles)
            worst = std::max(worst, VecLength(p.velocity - mean));
        return worst;
    }

    char previous_[4096];
    bool ok_ = false;
    std::string out_, err_;
    SoftBody body_;
};

TEST_F(SampleScene, LoadsWithItsCountsPrinted) {
    ASSERT_TRUE(ok_) << err_;
    EXPECT_EQ(err_, "");
    const std::string counts = "Vertices " + std::to_string(body_.particleCount) + "\nTetras   " +
                               std::to_string(body_.tetraCount) + "\nSprings  " +
                               std::to_string(body_.springCount) + "\nLoading TET-File: 1 \n\n";
    EXPECT_EQ(out_.rfind(counts, 0), 0u) << out_;
    EXPECT_NE(out_.find(" Triangles: " + std::to_string(body_.surface.triangleCount) +
                        "\n Done!\nSecond Pass: get data... Done!\n\nLoading OBJ-File: 1\n\n"),
              std::string::npos)
        << out_;
    // Cheap to step, far below the spring limit; smooth enough to light.
    EXPECT_LT(body_.springCount, 4000);
    EXPECT_GT(body_.surface.triangleCount, 1000);
    EXPECT_TRUE(body_.controller.HasControlParticles());
    // The constants keep the explicit step far from its limit.
    EXPECT_LT(body_.springs.stiffness[0] / body_.particles[0].mass, 35.0f);
}

TEST_F(SampleScene, FloatsInTheMiddleOfTheWaterAndDipsIntoIt) {
    const auto [x0, x1] = Extent(0);
    const auto [y0, y1] = Extent(1);
    const auto [z0, z1] = Extent(2);
    EXPECT_NEAR((x0 + x1) / 2, 198.0f, 2.0f);
    EXPECT_NEAR((z0 + z1) / 2, 198.0f, 2.0f);
    EXPECT_NEAR(x1 - x0, 40.0f, 4.0f);
    // The water rests at y = -1.
    EXPECT_LT(y0, -2.0f);
    EXPECT_GT(y1, 2.0f);
}

TEST_F(SampleScene, ControlGroupsSitAtNoseAndTailAndSpanTheWidth) {
    ASSERT_TRUE(body_.controller.HasControlParticles());
    Particle* const* c = body_.controller.controlParticles;
    const auto [x0, x1] = Extent(0);
    const auto [z0, z1] = Extent(2);
    for (int k = 0; k < 4; ++k) {
        EXPECT_GT(c[k]->position[0], 198.0f + 0.2f * (x1 - x0)) << k;      // front
        EXPECT_LT(c[k + 4]->position[0], 198.0f - 0.2f * (x1 - x0)) << k;  // rear
    }
    // Slots 2 and 3 are on either side: the water's body radius is about
    // half the body's width.
    const float radius = 0.5f * VecLength(c[2]->position - c[3]->position);
    EXPECT_GT(radius, 0.35f * (z1 - z0));
    EXPECT_LT(radius, 0.6f * (z1 - z0));
    body_.controller.UpdateFrame();
    EXPECT_GT(body_.controller.forward[0], 0.99f);  // nose towards +x
}

TEST_F(SampleScene, SkinIsBoundFacesOutwardAndIsReproducedBeforeAnythingMoves) {
    const SurfaceMesh& mesh = body_.surface;
    const std::vector<SbVec3f> loaded = mesh.vertices;
    for (int v = 0; v < mesh.vertexCount; ++v)
        ASSERT_GE(mesh.vertexTetra[v], 0) << v;
    // Every face normal points away from the hull's long axis (y = 1, z = 198).
    for (int t = 0; t < mesh.triangleCount; ++t) {
        SbVec3f middle(0, 0, 0);
        for (int k = 0; k < 3; ++k)
            middle += mesh.vertices[mesh.vertexIndices[4 * t + k]];
        middle /= 3.0f;
        const SbVec3f axis(std::clamp(middle[0], 179.0f, 217.0f), 1.0f, 198.0f);
        EXPECT_GT(mesh.faceNormals[t].dot(middle - axis), 0.0f) << t;
    }
    body_.DeformSurface();
    for (int v = 0; v < mesh.vertexCount; ++v) {
        for (int a = 0; a < 3; ++a)
            ASSERT_NEAR(mesh.vertices[v][a], loaded[v][a], 1e-3f) << v;
    }
}

TEST_F(SampleScene, SwellingSettlesAndFullThrustWithTurningStaysStable) {
    ASSERT_TRUE(body_.controller.HasControlParticles());
    // The rest lengths are 1.1 times the loaded edges: the body swells and
    // rings at first, then calms down.
    for (int frame = 0; frame < 300; ++frame)
        body_.Step(kBodyStep);
    const float early = WorstRelativeSpeed();
    for (int frame = 300; frame < 1500; ++frame)
        body_.Step(kBodyStep);
    EXPECT_LT(WorstRelativeSpeed(), 0.1f * early);
    EXPECT_LT(WorstStrain(), 0.02f);

    // Full forward thrust for 4000 frames, turning right, then left, then
    // straight; the body must neither blow up nor fold.
    float worstStrain = 0.0f;
    for (int frame = 0; frame < 4000; ++frame) {
        body_.controller.RampForward();
        if (frame < 1500) {
            body_.controller.RampRight();
        } else if (frame < 3000) {
            body_.controller.RampLeft();
        } else {
            body_.controller.DecayLeftRight();
        }
        body_.Step(kBodyStep);
        if (frame % 50 == 0)
            worstStrain = std::max(worstStrain, WorstStrain());
        for (const Particle& p : body_.particles)
            ASSERT_TRUE(VecIsFinite(p.position)) << frame;
    }
    EXPECT_EQ(body_.controller.forwardThrust, 30.0f);
    EXPECT_LT(worstStrain, 0.3f);
    const auto [y0, y1] = Extent(1);
    EXPECT_LT(y1 - y0, 16.0f);  // still the same body, not a crumpled one

    // The skin follows and stays finite.
    body_.DeformSurface();
    for (const SbVec3f& v : body_.surface.vertices)
        ASSERT_TRUE(VecIsFinite(v));

    // Thrust off: the vibrations die away.
    for (int frame = 0; frame < 1500; ++frame) {
        body_.controller.DecayForwardBackward();
        body_.controller.DecayLeftRight();
        body_.Step(kBodyStep);
    }
    EXPECT_LT(WorstRelativeSpeed(), 0.05f);
    EXPECT_LT(WorstStrain(), 0.01f);
}

}  // namespace
}  // namespace wobble
