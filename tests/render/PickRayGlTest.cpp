// The rays the mouse picks with, against GL's own matrices: the projection
// the fixed state sets and the camera matrix ApplyCamera loads, unprojected
// by GLU. What a pixel shows and what the mouse touches there must agree.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <string>

#include "GlTestContext.h"
#include "camera/PickRay.h"
#include "render/CameraApply.h"
#include "render/FrameRenderer.h"

namespace wobble {
namespace {

using test::GlTestContext;

TEST(PickRayGl, EveryViewsRayRunsThroughWhatGluUnprojectsAtThatPixel) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    const DisplaySettings display;
    SetupGLState(display);
    CameraView free;
    free.kind = CameraView::Kind::kFree;
    free.yaw = 37.0f;
    free.pitch = -21.0f;
    free.position.setValue(120.0f, 35.0f, -60.0f);
    CameraView lookAt;
    lookAt.kind = CameraView::Kind::kLookAt;
    lookAt.eye.setValue(70.0f, 73.0f, 90.0f);
    lookAt.target.setValue(198.0f, 1.0f, 210.0f);
    CameraView identity;
    identity.kind = CameraView::Kind::kIdentity;
    const float pixels[][2] = {{0, 0}, {399, 299}, {799, 599}, {123, 456}, {640, 17}};
    for (const CameraView& view : {free, lookAt, identity}) {
        ApplyCamera(view);
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        for (const auto& px : pixels) {
            Ray ray;
            ASSERT_TRUE(RayThroughPixel(view, Lens(), px[0], px[1], ray));
            // GL's window rows count up from the bottom; pixel centres.
            const double wx = px[0] + 0.5, wy = 600.0 - (px[1] + 0.5);
            GLdouble near[3], far[3];
            ASSERT_TRUE(gluUnProject(wx, wy, 0.0, model, projection, viewport, &near[0], &near[1],
                                     &near[2]));
            ASSERT_TRUE(
                gluUnProject(wx, wy, 0.5, model, projection, viewport, &far[0], &far[1], &far[2]));
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(ray.origin[k], near[k], 2e-3) << px[0] << "," << px[1];
            // The point GLU finds deeper in the pixel lies on the ray.
            SbVec3f toFar(float(far[0] - ray.origin[0]), float(far[1] - ray.origin[1]),
                          float(far[2] - ray.origin[2]));
            const float along = toFar.dot(ray.direction);
            EXPECT_LT((toFar - along * ray.direction).length(), 1e-3f * along)
                << px[0] << "," << px[1];
        }
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace
}  // namespace wobble
