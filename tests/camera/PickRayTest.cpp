// Rays from the eye through pixels, for views whose answers are known by
// hand (tests/render/PickRayGlTest.cpp holds them to GL's own matrices).

#include "camera/PickRay.h"

#include <gtest/gtest.h>

#include <cmath>

namespace wobble {
namespace {

constexpr float kTan30 = 0.57735027f;

void ExpectDirection(const Ray& ray, SbVec3f expected, const char* what) {
    expected.normalize();
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(ray.direction[k], expected[k], 1e-5f) << what << " axis " << k;
}

CameraView Free(float yaw, float pitch, SbVec3f position) {
    CameraView view;
    view.kind = CameraView::Kind::kFree;
    view.yaw = yaw;
    view.pitch = pitch;
    view.position = position;
    return view;
}

TEST(PickRay, RaysThroughTheCentreAndTheCornersOfKnownViews) {
    const Lens lens;  // 800 x 600, 60 degrees, near 1
    // The centre lies between pixels 399 and 400: -0.5 from pixel 400's centre.
    const float cx = 399.5f, cy = 299.5f;
    CameraView lookAt;
    lookAt.kind = CameraView::Kind::kLookAt;
    lookAt.eye.setValue(0, 10, 0);
    lookAt.target.setValue(10, 10, 0);
    const struct {
        const char* what;
        CameraView view;
        float x, y;
        SbVec3f direction;
    } cases[] = {
        {"level free camera, centre", Free(0, 0, SbVec3f(0, 1, 0)), cx, cy, SbVec3f(0, 0, -1)},
        {"turned a quarter left", Free(90, 0, SbVec3f(0, 1, 0)), cx, cy, SbVec3f(-1, 0, 0)},
        {"pitched up all the way", Free(0, 90, SbVec3f(0, 1, 0)), cx, cy, SbVec3f(0, 1, 0)},
        // The top-left corner of the viewport: half the field of view up,
        // and as far left as the aspect ratio widens it.
        {"level, top-left corner", Free(0, 0, SbVec3f(0, 1, 0)), -0.5f, -0.5f,
         SbVec3f(-kTan30 * 4.0f / 3.0f, kTan30, -1)},
        {"look-at along +x, centre", lookAt, cx, cy, SbVec3f(1, 0, 0)},
        {"look-at, bottom edge", lookAt, cx, 599.5f, SbVec3f(1, -kTan30, 0)},
    };
    for (const auto& c : cases) {
        Ray ray;
        ASSERT_TRUE(RayThroughPixel(c.view, lens, c.x, c.y, ray)) << c.what;
        ExpectDirection(ray, c.direction, c.what);
        // The view faces where the ray through the viewport's centre goes.
        SbVec3f facing;
        Ray centre;
        ASSERT_TRUE(ViewDirection(c.view, facing)) << c.what;
        ASSERT_TRUE(RayThroughPixel(c.view, lens, cx, cy, centre));
        ExpectDirection(Ray{centre.origin, facing}, centre.direction, c.what);
    }
    // The ray starts on the near plane, one unit in front of the eye.
    Ray ray;
    ASSERT_TRUE(RayThroughPixel(lookAt, lens, cx, cy, ray));
    EXPECT_NEAR(ray.origin[0], 1.0f, 1e-4f);
    EXPECT_NEAR(ray.origin[1], 10.0f, 1e-4f);
}

TEST(PickRay, ViewsWithoutAMatrixOrWithAFlatOneGiveNoRay) {
    const Lens lens;
    Ray ray;
    SbVec3f facing;
    CameraView untouched;
    EXPECT_FALSE(RayThroughPixel(untouched, lens, 400, 300, ray));
    EXPECT_FALSE(ViewDirection(untouched, facing));
    // Looking straight down: gluLookAt's side vector vanishes.
    CameraView down;
    down.kind = CameraView::Kind::kLookAt;
    down.eye.setValue(0, 70, 0);
    EXPECT_FALSE(RayThroughPixel(down, lens, 400, 300, ray));
    Lens flat;
    flat.height = 0;
    EXPECT_FALSE(RayThroughPixel(Free(0, 0, SbVec3f(0, 0, 0)), flat, 1, 1, ray));
    EXPECT_FALSE(RayThroughPixel(Free(0, 0, SbVec3f(0, 0, 0)), lens, NAN, 1, ray));
}

TEST(PickRay, APlaneIsMetOnlyAheadOfTheRay) {
    Ray ray;
    ray.origin.setValue(0, 5, 0);
    ray.direction.setValue(0, -1, 0);
    SbVec3f hit;
    ASSERT_TRUE(RayHitsPlane(ray, SbVec3f(3, -1, 7), SbVec3f(0, 1, 0), hit));
    EXPECT_EQ(hit, SbVec3f(0, -1, 0));
    EXPECT_FALSE(RayHitsPlane(ray, SbVec3f(0, 9, 0), SbVec3f(0, 1, 0), hit));   // behind
    EXPECT_FALSE(RayHitsPlane(ray, SbVec3f(0, -1, 0), SbVec3f(1, 0, 0), hit));  // parallel
}

}  // namespace
}  // namespace wobble
