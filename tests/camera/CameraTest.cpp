#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "FollowedBody.h"

namespace wobble {
namespace {

using CameraTest = test::FollowedBody;

TEST_F(CameraTest, ResetPlacesTheFreeCamera) {
    Camera fresh;
    fresh.position = SbVec3f(7, 8, 9);
    fresh.yaw = 45.0f;
    fresh.pitch = -20.0f;
    fresh.Reset();
    EXPECT_EQ(fresh.position, SbVec3f(0, 1, 0));
    EXPECT_EQ(fresh.yaw, 0.0f);
    EXPECT_EQ(fresh.pitch, 0.0f);
}

TEST_F(CameraTest, FollowEyeHeightAddsLiftAsAnIntegerFirst) {
    // lift + 70 is formed as an integer; adding 70 and lift separately in
    // float would round differently at this magnitude.
    body.controller.centre = SbVec3f(0.0f, 0.5f, 0.0f);
    camera.mode = 1;
    camera.lift = 16777217;  // 2^24 + 1
    const auto& k = body.controller;
    const SbVec3f e = camera.FollowEye(k.centre, k.forward, k.side);
    EXPECT_EQ(e[1], 0.5f + static_cast<float>(16777217 + 70));
    // At the int limit the sum must not wrap to a negative height.
    camera.lift = INT_MAX;
    EXPECT_GT(camera.FollowEye(k.centre, k.forward, k.side)[1], 2e9f);
}

TEST_F(CameraTest, ModeAdvancesOnEverySeventhCallAndPressesAddUp) {
    ASSERT_EQ(camera.mode, 4);
    for (int call = 1; call <= 6; ++call) {
        camera.NextMode(FrameOf(body));
        EXPECT_EQ(camera.mode, 4) << call;
        EXPECT_EQ(camera.modeCounter, call);
    }
    camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 0);
    EXPECT_EQ(camera.modeCounter, 0);

    // Four calls of one press and three of the next make the seventh.
    for (int call = 0; call < 4; ++call)
        camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 0);
    for (int call = 0; call < 2; ++call)
        camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 0);
    camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 1);

    const int order[] = {2, 3, 4, 0, 1};
    for (int expected : order) {
        for (int call = 0; call < 7; ++call)
            camera.NextMode(FrameOf(body));
        EXPECT_EQ(camera.mode, expected);
    }
}

TEST_F(CameraTest, ModeChangeStartsAFreshFollowButKeepsPitch) {
    camera.mode = 1;
    camera.modeCounter = 6;
    camera.zoom = 12;
    camera.lift = -7;
    camera.pitch = 33.0f;
    camera.Turn(-50.0f);
    camera.position = SbVec3f(4, 5, 6);
    camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 2);
    EXPECT_EQ(camera.zoom, 0);
    EXPECT_EQ(camera.lift, 0);
    EXPECT_EQ(camera.yaw, 0.0f);
    EXPECT_EQ(camera.sinYaw, 0.0f);
    EXPECT_EQ(camera.cosYaw, 0.0f);
    EXPECT_EQ(camera.pitch, 33.0f);
    EXPECT_EQ(camera.position, SbVec3f(4, 5, 6));  // only leaving orbit moves it
}

TEST_F(CameraTest, LeavingOrbitPutsTheFreeCameraOverTheBodyAtItsOldHeight) {
    body.controller.centre = SbVec3f(12.5f, 3.0f, -40.25f);
    camera.position = SbVec3f(-1.0f, 9.0f, 2.0f);
    camera.pitch = -12.0f;
    camera.Turn(75.0f);
    camera.modeCounter = 6;
    camera.NextMode(FrameOf(body));
    EXPECT_EQ(camera.mode, 0);
    EXPECT_EQ(camera.position, SbVec3f(12.5f, 9.0f, -40.25f));
    EXPECT_EQ(camera.yaw, 0.0f);
    EXPECT_EQ(camera.pitch, -12.0f);
}

TEST_F(CameraTest, ModeWrittenOutsideTheCycleRejoinsItAsTheFreeCamera) {
    camera.position = SbVec3f(1, 2, 3);
    for (int mode : {5, -3, INT_MAX}) {
        camera.mode = mode;
        camera.modeCounter = 6;
        camera.NextMode(FrameOf(body));
        EXPECT_EQ(camera.mode, 0) << mode;
        EXPECT_EQ(camera.position, SbVec3f(1, 2, 3)) << mode;
    }
}

TEST_F(CameraTest, FreePitchStopsAtNinetyEitherWay) {
    camera.mode = 0;
    camera.Tilt(-25.0f);
    EXPECT_EQ(camera.pitch, 25.0f);
    camera.Tilt(-500.0f);
    EXPECT_EQ(camera.pitch, 90.0f);
    camera.Tilt(-1.0f);
    EXPECT_EQ(camera.pitch, 90.0f);
    camera.Tilt(100.0f);
    EXPECT_EQ(camera.pitch, -10.0f);
    camera.Tilt(1e30f);
    EXPECT_EQ(camera.pitch, -90.0f);
    EXPECT_EQ(camera.lift, 0);
}

TEST_F(CameraTest, FollowTiltTruncatesTheLiftStepTowardZero) {
    camera.mode = 1;
    camera.pitch = 5.0f;
    camera.Tilt(0.3f);  // 2 * 0.3 = 0.6
    EXPECT_EQ(camera.lift, 0);
    camera.Tilt(0.5f);
    EXPECT_EQ(camera.lift, 1);
    camera.Tilt(-0.5f);
    EXPECT_EQ(camera.lift, 0);
    camera.Tilt(-0.5f);
    EXPECT_EQ(camera.lift, -1);
    camera.Tilt(-0.3f);  // -0.6 truncates to 0, not -1
    EXPECT_EQ(camera.lift, -1);
    camera.moveStep = 3;
    camera.Tilt(2.9f);  // 8.7
    EXPECT_EQ(camera.lift, 7);
    EXPECT_EQ(camera.pitch, 5.0f);
}

TEST_F(CameraTest, RunawayTiltSaturatesTheLiftInsteadOfWrapping) {
    camera.mode = 3;
    camera.lift = 5;
    camera.Tilt(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(camera.lift, 5);
    camera.Tilt(1e30f);
    EXPECT_EQ(camera.lift, INT_MAX);
    camera.Tilt(1.0f);
    EXPECT_EQ(camera.lift, INT_MAX);
    camera.Tilt(-std::numeric_limits<float>::infinity());
    EXPECT_EQ(camera.lift, -1);  // INT_MAX + INT_MIN
    camera.Tilt(-1e30f);
    EXPECT_EQ(camera.lift, INT_MIN);
}

TEST_F(CameraTest, FreeCameraMovesOneUnitInTheHorizontalPlane) {
    camera.mode = 0;
    camera.Turn(0.0f);
    camera.MoveForward();
    EXPECT_EQ(camera.position, SbVec3f(0, 1, -1));
    camera.MoveLeft();
    EXPECT_EQ(camera.position, SbVec3f(-1, 1, -1));
    camera.MoveBackward();
    camera.MoveRight();
    EXPECT_EQ(camera.position, SbVec3f(0, 1, 0));

    camera.Turn(-90.0f);  // yaw 90: forward is -x, left is +z
    camera.MoveForward();
    EXPECT_NEAR(camera.position[0], -1.0f, 1e-6);
    EXPECT_NEAR(camera.position[2], 0.0f, 1e-6);
    camera.MoveLeft();
    EXPECT_NEAR(camera.position[0], -1.0f, 1e-6);
    EXPECT_NEAR(camera.position[2], 1.0f, 1e-6);
    EXPECT_EQ(camera.position[1], 1.0f);
    EXPECT_EQ(camera.zoom, 0);
}

TEST_F(CameraTest, FollowModesZoomButNeverSidestep) {
    for (int mode = 1; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        camera.mode = mode;
        camera.zoom = 11;
        camera.lift = -4;
        camera.position = SbVec3f(2, 3, 4);
        camera.Turn(-40.0f);
        camera.MoveLeft();
        camera.MoveRight();
        EXPECT_EQ(camera.zoom, 11);
        EXPECT_EQ(camera.lift, -4);
        EXPECT_EQ(camera.position, SbVec3f(2, 3, 4));
        camera.MoveForward();
        EXPECT_EQ(camera.zoom, 13);
        camera.MoveBackward();
        camera.MoveBackward();
        EXPECT_EQ(camera.zoom, 9);
        EXPECT_EQ(camera.position, SbVec3f(2, 3, 4));
    }
}

TEST_F(CameraTest, TurnTakesTheMotionOffTheYawAndKeepsItsSineAndCosine) {
    // Motion to the right turns the view the other way; the yaw is in degrees.
    const struct {
        float dx, yaw, sin, cos;
    } turns[] = {
        {-90.0f, 90.0f, 1.0f, 0.0f},
        {60.0f, 30.0f, 0.5f, 0.8660254f},
        {210.0f, -180.0f, 0.0f, -1.0f},
        {-33.25f, -146.75f, -0.5482932f, -0.8362862f},
    };
    for (const auto& t : turns) {
        camera.Turn(t.dx);
        ASSERT_EQ(camera.yaw, t.yaw);
        EXPECT_NEAR(camera.sinYaw, t.sin, 1e-6f) << t.yaw;
        EXPECT_NEAR(camera.cosYaw, t.cos, 1e-6f) << t.yaw;
    }
}

}  // namespace
}  // namespace wobble
