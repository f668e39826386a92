// The mouse's hands on the sample scene, seen by the starting camera: what a
// press touches, how a held press pulls, and where a press on the water
// makes its waves.

#include "controls/MouseHands.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestFiles.h"
#include "scene/Scene.h"

namespace wobble {
namespace {

constexpr float kCentreX = 399.5f, kCentreY = 299.5f;  // the middle of 800 x 600

class Hands : public ::testing::Test {
protected:
    void SetUp() override {
        bool loaded = false;
        test::CaptureStdout([&] { loaded = scene.Load(WOBBLE_SOURCE_DIR "/assets").ok(); });
        ASSERT_TRUE(loaded);
        // The body frame as the first step leaves it, seen by the orbit
        // camera the program starts with.
        scene.body.controller.UpdateFrame();
        camera.Turn(0.0f);
        view = camera.View(FrameOf(scene.body));
    }

    // The water's height at the cell nearest (x, z).
    float HeightAt(float x, float z) const {
        const int i = static_cast<int>(x / Scene::kWaterSpacing + 0.5f);
        const int j = static_cast<int>(z / Scene::kWaterSpacing + 0.5f);
        return scene.water.positions[static_cast<size_t>(i * scene.water.cellsZ + j)][1];
    }

    Scene scene;
    Camera camera;
    CameraView view;
    Lens lens;
    MouseHands hands;
};

TEST_F(Hands, APressAtTheMiddleGrabsTheBodyAndTheHeldButtonPullsIt) {
    ASSERT_EQ(hands.Press(scene, view, lens, kCentreX, kCentreY, true, true), Touch::Kind::kBody);
    ASSERT_TRUE(hands.Holding());
    const BodyPull& pull = scene.body.pull;
    ASSERT_TRUE(pull.Active());
    // The held particle is one near the surface point under the cursor: on
    // the near side of the body, close to the line of sight.
    Ray sight;
    ASSERT_TRUE(RayThroughPixel(view, lens, kCentreX, kCentreY, sight));
    const SbVec3f held = scene.body.particles[static_cast<size_t>(pull.particle)].position;
    const SbVec3f toHeld = held - sight.origin;
    const float along = toHeld.dot(sight.direction);
    EXPECT_LT((toHeld - along * sight.direction).length(), 3.0f);
    EXPECT_LT(along, (scene.body.controller.centre - sight.origin).length());
    EXPECT_EQ(pull.target, held);  // no pull until the cursor moves
    EXPECT_GT(pull.stiffness, 0.0f);

    // A hundred pixels up: the target rises, on the plane facing the camera.
    hands.Drag(scene, kCentreX, kCentreY - 100.0f);
    EXPECT_GT(pull.target[1], held[1] + 10.0f);
    SbVec3f facing;
    ASSERT_TRUE(ViewDirection(view, facing));
    EXPECT_NEAR((pull.target - held).dot(facing), 0.0f, 1e-3f);

    hands.Release(scene);
    EXPECT_FALSE(hands.Holding());
    EXPECT_FALSE(scene.body.pull.Active());
}

TEST_F(Hands, TheWireframePicksTheParticleTheRayPassesAndTheSkyNothing) {
    ASSERT_EQ(hands.Press(scene, view, lens, kCentreX, kCentreY, false, true), Touch::Kind::kBody);
    hands.Release(scene);
    const std::vector<float> before(scene.water.velocities);
    EXPECT_EQ(hands.Press(scene, view, lens, kCentreX, 2.0f, true, true), Touch::Kind::kNothing);
    EXPECT_FALSE(hands.Holding());
    EXPECT_FALSE(scene.body.pull.Active());
    EXPECT_EQ(scene.water.velocities, before);
}

TEST_F(Hands, APressOnTheWaterPokesItThereAndNotAtTheSplashPoint) {
    // Where the lower left of the picture shows the water.
    Ray ray;
    ASSERT_TRUE(RayThroughPixel(view, lens, 200.0f, 450.0f, ray));
    const float t = (-1.0f - ray.origin[1]) / ray.direction[1];
    const SbVec3f point = ray.origin + t * ray.direction;
    const float restHere = HeightAt(point[0], point[2]);

    // Paused, it does nothing, as the splash key.
    EXPECT_EQ(hands.Press(scene, view, lens, 200.0f, 450.0f, true, false), Touch::Kind::kWater);
    EXPECT_EQ(HeightAt(point[0], point[2]), restHere);

    EXPECT_EQ(hands.Press(scene, view, lens, 200.0f, 450.0f, true, true), Touch::Kind::kWater);
    EXPECT_FALSE(hands.Holding());
    EXPECT_LT(HeightAt(point[0], point[2]), restHere - 1.0f);
    EXPECT_EQ(HeightAt(Scene::kSplashPoint[0], Scene::kSplashPoint[2]), -1.0f);
}

}  // namespace
}  // namespace wobble
