// The numbers the panel tunes, reaching the body and the water at once and
// going back on a reset; the mouse's pull, bounded by them; the measures the
// panel plots.

#include <gtest/gtest.h>

#include <cmath>

#include "TestFiles.h"
#include "scene/Scene.h"
#include "scene/SceneMeasures.h"

namespace wobble {
namespace {

constexpr const char* kSampleScene = WOBBLE_SOURCE_DIR "/assets";

class Tuning : public ::testing::Test {
protected:
    void SetUp() override {
        bool loaded = false;
        test::CaptureStdout([&] { loaded = scene.Load(kSampleScene).ok(); });
        ASSERT_TRUE(loaded);
    }

    bool AllFinite() const {
        for (const Particle& p : scene.body.particles) {
            for (int k = 0; k < 3; ++k) {
                if (!std::isfinite(p.position[k]) || !std::isfinite(p.velocity[k]))
                    return false;
            }
        }
        return true;
    }

    Scene scene;
};

TEST_F(Tuning, UntouchedItIsTheScenesOwnAndWhatTheStepAlwaysUsed) {
    const SceneTuning& own = scene.OwnTuning();
    EXPECT_EQ(own.stiffness, 30.0f);
    EXPECT_EQ(own.mass, 1.0f);
    EXPECT_EQ(own.maxThrust, 30.0f);
    // A tenth more rest length a frame; the body's and the water's steps.
    EXPECT_EQ(own.pumpGrowth, 1.1);
    EXPECT_EQ(own.bodyTimeStep, 0.05f);
    EXPECT_EQ(own.waterTimeStep, 0.03f);
    // One body step a frame, the program's damping against the mean.
    EXPECT_EQ(own.bodySubSteps, 1);
    EXPECT_EQ(own.relativeDamping, 0.15f);
    EXPECT_TRUE(own == scene.Tuning());
}

// The sample's files in a folder of their own, with a handling.txt of `handling`.
std::string SampleWithHandling(const test::ScratchDir& dir, const std::string& handling) {
    for (const char* name : {"config.txt", "body.tet", "body.obj"})
        dir.Write(name, test::ReadWholeFile(std::string(kSampleScene) + "/" + name));
    dir.Write("handling.txt", handling);
    return dir.Path("");
}

TEST(SceneHandling, HandlingBesideTheConfigurationIsTheScenesOwnAndResetReturnsToIt) {
    test::ScratchDir dir;
    Scene scene;
    bool loaded = false;
    test::CaptureStdout([&] {
        loaded = scene.Load(SampleWithHandling(dir, "substeps 4\ndamping 0.5\nthrust 12\n")).ok();
    });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(scene.OwnTuning().bodySubSteps, 4);
    EXPECT_EQ(scene.OwnTuning().relativeDamping, 0.5f);
    EXPECT_EQ(scene.OwnTuning().maxThrust, 12.0f);
    EXPECT_TRUE(scene.OwnTuning() == scene.Tuning());
    EXPECT_EQ(scene.body.handling.subSteps, 4);
    EXPECT_EQ(scene.body.controller.maxThrust, 12.0f);
    // Four sub-steps quadruple the limit on stiffness / mass.
    SceneTuning one = scene.Tuning();
    one.bodySubSteps = 1;
    EXPECT_NEAR(scene.StiffnessPerMassLimit(scene.Tuning()),
                16.0 * scene.StiffnessPerMassLimit(one), 1e-6);

    one.relativeDamping = 0.15f;
    scene.Tune(one);
    EXPECT_EQ(scene.body.handling.subSteps, 1);
    EXPECT_EQ(scene.body.handling.relativeDamping, 0.15f);
    scene.Reset();
    EXPECT_EQ(scene.body.handling.subSteps, 4);
    EXPECT_EQ(scene.body.handling.relativeDamping, 0.5f);
}

TEST(SceneHandling, ABadHandlingFileRefusesTheSceneNamingItsLine) {
    test::ScratchDir dir;
    Scene scene;
    Status loaded = Done{};
    const std::string err = test::CaptureStderr([&] {
        test::CaptureStdout([&] { loaded = scene.Load(SampleWithHandling(dir, "substeps -2\n")); });
    });
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(err, "handling.txt:1: substeps -2 is outside 1..1000\n");
}

TEST_F(Tuning, ChangesTakeEffectAtOnceAndResetTakesThemBack) {
    SceneTuning t = scene.Tuning();
    t.stiffness = 12.5f;
    t.mass = 3.0f;
    t.maxThrust = 7.0f;
    t.pumpGrowth = 1.5;
    t.bodyTimeStep = 0.0f;  // a body that does not move
    scene.Tune(t);
    for (const float k : scene.body.springs.stiffness)
        ASSERT_EQ(k, 12.5f);
    for (const Particle& p : scene.body.particles)
        ASSERT_EQ(p.mass, 3.0f);
    EXPECT_EQ(scene.body.controller.maxThrust, 7.0f);
    const SbVec3f before = scene.body.particles[5].position;
    const float rest = scene.body.springs.restLength[0];
    scene.Pump();
    scene.Step();
    EXPECT_EQ(scene.body.particles[5].position, before);
    EXPECT_EQ(scene.body.springs.restLength[0], static_cast<float>(double(rest) * 1.5));

    scene.body.pull.Hold(3, SbVec3f(0, 50, 0), 1.0f, 1.0f);
    scene.Reset();
    EXPECT_TRUE(scene.OwnTuning() == scene.Tuning());
    EXPECT_EQ(scene.body.springs.stiffness[7], 30.0f);
    EXPECT_EQ(scene.body.particles[7].mass, 1.0f);
    EXPECT_EQ(scene.body.controller.maxThrust, 30.0f);
    EXPECT_FALSE(scene.body.pull.Active());
}

TEST_F(Tuning, ValuesThatCannotBeSimulatedKeepWhatTheyWouldReplace) {
    SceneTuning t = scene.Tuning();
    t.mass = 0.0f;
    t.stiffness = NAN;
    t.bodyTimeStep = -0.05f;
    t.waterTimeStep = INFINITY;
    t.pumpGrowth = -1.0;
    t.maxThrust = -3.0f;
    t.grabStrength = 2.0f;
    scene.Tune(t);
    EXPECT_TRUE(scene.OwnTuning() == scene.Tuning());
    EXPECT_EQ(scene.body.particles[0].mass, 1.0f);
}

TEST_F(Tuning, ALongHardPullKeepsEveryPositionFinite) {
    // The strongest pull, on a body as stiff as its estimate allows, towards
    // a point far beyond the pool, for a minute of frames; then the same on
    // the scene's own body, whose pull has the most room.
    for (const float stiffnessShare : {0.97f, 0.0f}) {
        scene.Reset();
        SceneTuning t = scene.Tuning();
        t.grabStrength = 1.0f;
        if (stiffnessShare > 0.0f)
            t.stiffness = stiffnessShare * float(scene.StiffnessPerMassLimit(t));
        scene.Tune(t);
        ASSERT_GT(scene.PullStiffness(), 0.0f);
        scene.body.pull.Hold(17, SbVec3f(5000.0f, 3000.0f, -4000.0f), scene.PullStiffness(),
                             scene.water.radius);
        for (int frame = 0; frame < 3600; ++frame) {
            scene.Step();
            ASSERT_TRUE(AllFinite()) << stiffnessShare << " frame " << frame;
        }
    }
}

TEST_F(Tuning, APullHeldStillComesToRestWithItsParticleAtTheTarget) {
    const SbVec3f target = scene.body.particles[40].position + SbVec3f(0.0f, 12.0f, 0.0f);
    scene.body.pull.Hold(40, target, scene.PullStiffness(), scene.water.radius);
    for (int frame = 0; frame < 900; ++frame)
        scene.Step();
    EXPECT_LT((scene.body.particles[40].position - target).length(), 0.5f);
    EXPECT_LT(Measure(scene).bodySpeed, 0.01);
    // Let go, it settles where it was left: no swing, no drift.
    scene.body.pull.Release();
    const SbVec3f left = scene.body.controller.centre;
    for (int frame = 0; frame < 300; ++frame)
        scene.Step();
    EXPECT_LT((scene.body.controller.centre - left).length(), 0.5f);
    EXPECT_LT(Measure(scene).kineticEnergy, 0.5);
    // A body past its limit leaves no room: the pull holds nothing.
    SceneTuning t = scene.Tuning();
    t.stiffness = 1.1f * float(scene.StiffnessPerMassLimit(t));
    scene.Tune(t);
    EXPECT_EQ(scene.PullStiffness(), 0.0f);
}

TEST_F(Tuning, MeasuresReadTheBodyAndTheWater) {
    const SceneMeasures still = Measure(scene);
    EXPECT_EQ(still.bodySpeed, 0.0);
    EXPECT_EQ(still.kineticEnergy, 0.0);
    EXPECT_EQ(still.waterHeight, 0.0);
    for (Particle& p : scene.body.particles)
        p.velocity.setValue(0.0f, 2.0f, 0.0f);
    scene.water.positions[123][1] = 1.5f;
    const SceneMeasures moving = Measure(scene);
    EXPECT_DOUBLE_EQ(moving.bodySpeed, 2.0);
    EXPECT_DOUBLE_EQ(moving.kineticEnergy, 0.5 * 1.0 * 4.0 * scene.body.particleCount);
    EXPECT_DOUBLE_EQ(moving.waterHeight, 2.5);
}

}  // namespace
}  // namespace wobble
