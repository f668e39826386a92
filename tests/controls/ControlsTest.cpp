// What each key of the simulation and the camera changes, and which way:
// keys pressed in a key table, read into intents and acted on, with no
// window.

#include "controls/Controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TestFiles.h"
#include "camera/Camera.h"
#include "scene/Scene.h"

namespace wobble {
namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        bool loaded = false;
        test::CaptureStdout([&] { loaded = scene.Load(WOBBLE_SOURCE_DIR "/assets").ok(); });
        ASSERT_TRUE(loaded);
        camera.Turn(0.0f);
    }

    // One frame's keys: read and acted on, the simulation running.
    void Frame(bool simulating = true) {
        ApplyControls(ReadKeyBindings(keys), simulating, scene, camera);
    }

    const ThrustController& thrust() const { return scene.body.controller; }

    Scene scene;
    Camera camera;
    KeyTable keys;
};

struct Arrow {
    const char* key;
    int code;
    float ThrustController::*grows;
};

constexpr Arrow kArrows[] = {
    {"Up", vk::kUp, &ThrustController::forwardThrust},
    {"Down", vk::kDown, &ThrustController::backwardThrust},
    {"Left", vk::kLeft, &ThrustController::leftThrust},
    {"Right", vk::kRight, &ThrustController::rightThrust},
};

constexpr float ThrustController::*kThrusts[] = {
    &ThrustController::forwardThrust, &ThrustController::backwardThrust,
    &ThrustController::leftThrust, &ThrustController::rightThrust};

TEST_F(Controls, EachArrowAloneRampsItsThrustToTheCapAndItDecaysWhenReleased) {
    for (const Arrow& arrow : kArrows) {
        SCOPED_TRACE(arrow.key);
        keys.Press(arrow.code);
        for (int frame = 1; frame <= 35; ++frame) {
            Frame();
            EXPECT_EQ(thrust().*arrow.grows, static_cast<float>(std::min(frame, 30)));
            for (float ThrustController::*other : kThrusts) {
                if (other != arrow.grows) {
                    EXPECT_EQ(thrust().*other, 0.0f);
                }
            }
        }
        keys.Release(arrow.code);
        for (int frame = 1; frame <= 30; ++frame) {
            Frame();
            EXPECT_EQ(thrust().*arrow.grows, 30.0f - static_cast<float>(frame));
        }
    }
}

TEST_F(Controls, OppositeArrowsTogetherLeaveTheLaterOneAtOneStep) {
    keys.Press(vk::kUp);
    keys.Press(vk::kDown);
    keys.Press(vk::kLeft);
    keys.Press(vk::kRight);
    for (int frame = 0; frame < 5; ++frame)
        Frame();
    EXPECT_EQ(thrust().forwardThrust, 0.0f);
    EXPECT_EQ(thrust().backwardThrust, 1.0f);
    EXPECT_EQ(thrust().leftThrust, 0.0f);
    EXPECT_EQ(thrust().rightThrust, 1.0f);
}

struct CameraKey {
    const char* key;
    int code;
    SbVec3f freeMove;  // of the free camera at yaw 0, one frame held
    int zoom;          // of a follow camera, one frame held
};

TEST_F(Controls, MovementKeysMoveTheFreeCameraAndZoomAFollowingOne) {
    const CameraKey cases[] = {
        {"W", 'W', SbVec3f(0, 0, -1), 2},
        {"S", 'S', SbVec3f(0, 0, 1), -2},
        {"A", 'A', SbVec3f(-1, 0, 0), 0},
        {"D", 'D', SbVec3f(1, 0, 0), 0},
    };
    for (const CameraKey& c : cases) {
        SCOPED_TRACE(c.key);
        camera.mode = 0;
        camera.position.setValue(10.0f, 1.0f, 10.0f);
        keys.Press(c.code);
        Frame();
        Frame();  // held: acts again
        EXPECT_EQ(camera.position, SbVec3f(10.0f, 1.0f, 10.0f) + 2.0f * c.freeMove);
        camera.mode = 1;
        camera.zoom = 0;
        Frame();
        EXPECT_EQ(camera.zoom, c.zoom);
        keys.Release(c.code);
    }
}

TEST_F(Controls, CameraModeKeyCountsEveryFrameItIsHeld) {
    keys.Press('C');
    for (int frame = 1; frame <= 7; ++frame)
        Frame();
    EXPECT_EQ(camera.mode, 0);  // from orbit to free on the seventh frame held
    EXPECT_EQ(camera.modeCounter, 0);
    Frame();
    EXPECT_EQ(camera.modeCounter, 1);
}

TEST_F(Controls, SplashKeysPushTheWaterDownAtTheSplashPointOnlyWhileSimulating) {
    for (int code : {int{'Z'}, vk::kF11}) {
        SCOPED_TRACE(code);
        scene.Reset();
        // Raise the water so that the splash's sphere reaches it.
        for (SbVec3f& p : scene.water.positions)
            p[1] = 2.0f;
        const int nearest = 7 * Scene::kWaterCells + 7;  // (28, 28), by (30, 30)
        const int far = 60 * Scene::kWaterCells + 60;
        keys.Press(code);
        Frame(false);
        EXPECT_EQ(scene.water.positions[nearest][1], 2.0f);  // paused: nothing
        keys.Press(code);
        Frame();
        EXPECT_LT(scene.water.positions[nearest][1], 2.0f);
        EXPECT_EQ(scene.water.positions[far][1], 2.0f);
        keys.Release(code);
    }
}

TEST_F(Controls, PumpKeysGrowEveryRestLengthByATenthWhileSimulating) {
    for (int code : {int{'B'}, vk::kNumpad2}) {
        SCOPED_TRACE(code);
        scene.Reset();
        const std::vector<float> before = scene.body.springs.restLength;
        keys.Press(code);
        Frame(false);
        EXPECT_EQ(scene.body.springs.restLength[0], before[0]);  // paused: nothing
        Frame();
        Frame();
        for (size_t k = 0; k < before.size(); k += 97) {
            const float once = static_cast<float>(static_cast<double>(before[k]) * 1.1);
            EXPECT_EQ(scene.body.springs.restLength[k],
                      static_cast<float>(static_cast<double>(once) * 1.1));
        }
        keys.Release(code);
    }
}

TEST_F(Controls, PausedThrustNeitherRampsNorDecays) {
    keys.Press(vk::kUp);
    Frame();
    Frame();
    keys.Release(vk::kUp);
    Frame(false);
    Frame(false);
    EXPECT_EQ(thrust().forwardThrust, 2.0f);
}

}  // namespace
}  // namespace wobble
