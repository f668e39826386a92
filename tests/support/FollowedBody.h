#pragma once
// A camera and a body whose frame is set by hand, for the camera to follow
// (FrameOf(body)): centre off the origin, forward a unit horizontal direction
// that is not an axis, side = forward x up.

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "softbody/SoftBody.h"

namespace wobble::test {

class FollowedBody : public ::testing::Test {
protected:
    static constexpr float kFx = 0.6f, kFz = 0.8f;

    void SetUp() override {
        body.controller.centre = SbVec3f(10.0f, 2.0f, -5.0f);
        body.controller.forward = SbVec3f(kFx, 0.0f, kFz);
        body.controller.side = SbVec3f(-kFz, 0.0f, kFx);
    }

    SoftBody body;
    Camera camera;
};

}  // namespace wobble::test
