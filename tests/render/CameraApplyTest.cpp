// The camera's views loaded into GL's modelview matrix, against matrices
// built here in double from the textbook formulas, independent of GLU.

#include "render/CameraApply.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "FollowedBody.h"
#include "GlTestContext.h"
#include "camera/Camera.h"

namespace wobble {
namespace {

using test::GlTestContext;

// 4 x 4 matrices in GL's column-major order, built here in double from the
// textbook formulas, independent of GLU and of the camera.
using Mat = std::array<double, 16>;

double& At(Mat& m, int row, int col) {
    return m[col * 4 + row];
}

Mat Identity() {
    Mat m{};
    for (int i = 0; i < 4; ++i)
        At(m, i, i) = 1.0;
    return m;
}

Mat Multiply(const Mat& a, const Mat& b) {
    Mat r{};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            At(r, row, col) = sum;
        }
    }
    return r;
}

Mat Translation(double x, double y, double z) {
    Mat m = Identity();
    At(m, 0, 3) = x;
    At(m, 1, 3) = y;
    At(m, 2, 3) = z;
    return m;
}

Mat RotationX(double degrees) {
    const double a = degrees * M_PI / 180.0;
    Mat m = Identity();
    At(m, 1, 1) = std::cos(a);
    At(m, 1, 2) = -std::sin(a);
    At(m, 2, 1) = std::sin(a);
    At(m, 2, 2) = std::cos(a);
    return m;
}

Mat RotationY(double degrees) {
    const double a = degrees * M_PI / 180.0;
    Mat m = Identity();
    At(m, 0, 0) = std::cos(a);
    At(m, 0, 2) = std::sin(a);
    At(m, 2, 0) = -std::sin(a);
    At(m, 2, 2) = std::cos(a);
    return m;
}

struct Vec {
    double x, y, z;
};

Vec Sub(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec Cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec Unit(Vec a) {
    const double l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / l, a.y / l, a.z / l};
}

// The view that puts `eye` at the origin looking at `centre` with +y up.
Mat LookAt(Vec eye, Vec centre) {
    const Vec f = Unit(Sub(centre, eye));
    const Vec s = Unit(Cross(f, {0, 1, 0}));
    const Vec u = Cross(s, f);
    Mat r = Identity();
    const Vec rows[3] = {s, u, {-f.x, -f.y, -f.z}};
    for (int i = 0; i < 3; ++i) {
        At(r, i, 0) = rows[i].x;
        At(r, i, 1) = rows[i].y;
        At(r, i, 2) = rows[i].z;
    }
    return Multiply(r, Translation(-eye.x, -eye.y, -eye.z));
}

using GlMat = std::array<float, 16>;

GlMat Modelview() {
    GlMat m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

void LoadModelview(const GlMat& m) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m.data());
}

void ExpectMatrixNear(const GlMat& actual, const Mat& expected, double tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance)
            << "element " << i << " (row " << i % 4 << ", column " << i / 4 << ")";
    }
}

bool SameBits(const SbVec3f& a, const SbVec3f& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const GlMat kJunk = {3, -1, 4, 1, 5, 9, -2, 6, 5, 3, 5, -8, 9, 7, 9, 3};

// The followed body's centre.
const Vec kCentre = {10.0, 2.0, -5.0};

class CameraViewTest : public test::FollowedBody {
protected:
    // Horizontal point at `along` forward and `across` sideways from the
    // centre, `height` above it.
    static Vec FramePoint(double along, double across, double height) {
        const double fx = kFx, fz = kFz;
        return {kCentre.x + along * fx - across * fz, kCentre.y + height,
                kCentre.z + along * fz + across * fx};
    }
};

class CameraApplyTest : public CameraViewTest {
protected:
    void SetUp() override {
        CameraViewTest::SetUp();
        std::string reason;
        ASSERT_TRUE(GlTestContext::Acquire(&reason)) << reason;
        GlTestContext::FirstGlError();
    }
    void TearDown() override {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    GlMat ApplyIn(int mode) {
        camera.mode = mode;
        LoadModelview(kJunk);
        ApplyCamera(camera.View(FrameOf(body)));
        EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
        return Modelview();
    }
};

TEST_F(CameraApplyTest, AViewNotYetComputedTouchesNoMatrix) {
    const GlMat projectionJunk = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    LoadModelview(kJunk);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projectionJunk.data());
    ApplyCamera(CameraView());
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_PROJECTION);
    GlMat projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    EXPECT_EQ(projection, projectionJunk);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(Modelview(), kJunk);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(CameraApplyTest, FreeModeRotatesByPitchThenYawAndTranslatesByPosition) {
    camera.position = SbVec3f(3.0f, 1.0f, -7.0f);
    camera.pitch = 30.0f;
    camera.yaw = 45.0f;
    const Mat expected =
        Multiply(Multiply(RotationX(-30.0), RotationY(-45.0)), Translation(-3.0, -1.0, 7.0));
    ExpectMatrixNear(ApplyIn(0), expected, 1e-5);

    // Level and unturned, the view is the translation alone, exactly.
    camera.pitch = 0.0f;
    camera.yaw = 0.0f;
    const GlMat level = ApplyIn(0);
    Mat exact = Translation(-3.0, -1.0, 7.0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(level[i], static_cast<float>(exact[i])) << i;
}

TEST_F(CameraApplyTest, FreeModeLooksWhereMoveForwardGoes) {
    camera.mode = 0;
    camera.Turn(-90.0f);  // yaw 90
    const SbVec3f before = camera.position;
    camera.MoveForward();
    const SbVec3f step = camera.position - before;
    const GlMat m = ApplyIn(0);
    // A point ten steps ahead of the eye lies straight down the view axis.
    const float p[3] = {before[0] + 10 * step[0], before[1], before[2] + 10 * step[2]};
    const float ex = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
    const float ey = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
    const float ez = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
    EXPECT_NEAR(ex, 0.0f, 1e-5);
    EXPECT_NEAR(ey, 0.0f, 1e-5);
    EXPECT_NEAR(ez, -9.0f, 1e-5);  // the eye itself moved one of the ten
}

TEST_F(CameraApplyTest, FollowModesLookAtTheCentreFromTheirEyes) {
    camera.zoom = 4;
    camera.lift = 6;
    struct Case {
        int mode;
        Vec eye;
    };
    const Case cases[] = {
        {1, FramePoint(-150 + 4, 0, 6 + 70)},
        {2, FramePoint(0, 170 - 4, 6 + 20)},
        {3, FramePoint(150 - 4, 0, 6 + 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ExpectMatrixNear(ApplyIn(c.mode), LookAt(c.eye, kCentre), 2e-4);
    }
}

TEST_F(CameraApplyTest, OrbitAtYawZeroIsTheBehindViewExactly) {
    camera.zoom = -10;
    camera.lift = 14;
    camera.Turn(0.0f);
    const GlMat behind = ApplyIn(1);
    const GlMat orbit = ApplyIn(4);
    EXPECT_EQ(orbit, behind);
    const auto& k = body.controller;
    camera.mode = 4;
    const SbVec3f orbitEye = camera.FollowEye(k.centre, k.forward, k.side);
    camera.mode = 1;
    EXPECT_TRUE(SameBits(orbitEye, camera.FollowEye(k.centre, k.forward, k.side)));
}

TEST_F(CameraApplyTest, OrbitCarriesTheBehindEyeAroundTheCentreByYaw) {
    camera.zoom = 20;
    camera.lift = -5;
    const double reach = 150 - 20;
    const double height = -5 + 70;
    for (double yaw : {180.0, 90.0, -45.0, 270.0}) {
        SCOPED_TRACE(yaw);
        camera.yaw = 0.0f;
        camera.Turn(static_cast<float>(-yaw));
        ASSERT_EQ(camera.yaw, static_cast<float>(yaw));
        const double a = yaw * M_PI / 180.0;
        // Behind at 0, out to the right at 90, as far in front at 180.
        const Vec eye = FramePoint(-reach * std::cos(a), reach * std::sin(a), height);
        ExpectMatrixNear(ApplyIn(4), LookAt(eye, kCentre), 2e-4);
    }
}

TEST_F(CameraApplyTest, OrbitBeyondTheCentreKeepsItsRadius) {
    // Zoomed past the body, the behind eye lies ahead of it; orbiting swings
    // that point around the centre the same way.
    camera.zoom = 200;
    camera.Turn(-90.0f);
    const double reach = 150 - 200;
    ExpectMatrixNear(ApplyIn(4), LookAt(FramePoint(0, reach, 70), kCentre), 2e-4);
}

TEST_F(CameraApplyTest, ModeOutsideTheFiveLeavesTheIdentity) {
    const GlMat m = ApplyIn(5);
    ExpectMatrixNear(m, Identity(), 0.0);
    ExpectMatrixNear(ApplyIn(-1), Identity(), 0.0);
}

TEST_F(CameraApplyTest, NonFiniteOrZeroFrameNeverFails) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const SbVec3f frames[][3] = {
        {{nan, 0, 0}, {kFx, 0, kFz}, {-kFz, 0, kFx}},
        {{0, 0, 0}, {inf, 0, -inf}, {inf, 0, inf}},
        {{1e38f, -1e38f, 1e38f}, {nan, 0, nan}, {nan, 0, nan}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},  // before the first step
    };
    camera.Turn(-30.0f);
    camera.lift = INT_MAX;
    camera.zoom = INT_MIN;
    for (const auto& frame : frames) {
        body.controller.centre = frame[0];
        body.controller.forward = frame[1];
        body.controller.side = frame[2];
        for (int mode = 0; mode <= 4; ++mode)
            ApplyIn(mode);
    }
}
}  // namespace
}  // namespace wobble
