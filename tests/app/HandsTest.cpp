// The mouse's hands and the panel in the running application (headless, in
// this process, on the sample scene), driven by replayed cursor and button
// events, and judged against GL's own matrices of the frames drawn.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "TestFiles.h"
#include "app/Application.h"
#include "app/Panel.h"
#include "camera/Camera.h"
#include "platform/SdlWindow.h"

namespace wobble {
namespace {

constexpr const char* kSampleScene = WOBBLE_SOURCE_DIR "/assets";

// The panel names each camera mode by where its eye goes: left where it was,
// behind the body, beside it, ahead of it, or swung about it by the mouse.
TEST(PanelCameraMode, EachModeIsNamedByWhereItsEyeGoes) {
    const SbVec3f centre(10.0f, 2.0f, -5.0f), forward(0.6f, 0.0f, 0.8f), side(-0.8f, 0.0f, 0.6f);
    for (int mode = 0; mode <= 4; ++mode) {
        Camera camera;
        camera.mode = mode;
        const SbVec3f away = camera.FollowEye(centre, forward, side) - centre;
        camera.Turn(90.0f);
        const bool swings = camera.FollowEye(centre, forward, side) != centre + away;
        const float along = away.dot(forward), across = away.dot(side);
        const char* seen = away.length() == 0.0f                  ? "free"
                           : swings                               ? "orbit"
                           : std::fabs(across) > std::fabs(along) ? "side"
                           : along > 0.0f                         ? "front"
                                                                  : "behind";
        EXPECT_STREQ(CameraModeName(mode), seen) << "mode " << mode;
    }
    EXPECT_STREQ(CameraModeName(5), "?");
}

class MouseAndPanel : public ::testing::Test {
protected:
    void Start(const std::string& replayText) {
        Replay replay;
        ASSERT_TRUE(replay.Load(dir.Write("replay.txt", replayText)));
        AppOptions options;
        options.headless = true;
        options.sceneDir = kSampleScene;
        app =
            std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
        app->SetReplay(std::move(replay));
        bool ok = false;
        test::CaptureStdout([&] { ok = app->Initialize(); });
        ASSERT_TRUE(ok);
    }

    // Runs the main loop until frame `frame` has been drawn.
    void RunTo(long long frame) {
        while (app->framesRun() < frame)
            ASSERT_TRUE(app->RunTurn());
    }

    // Window pixels (from the top left) of a world point in the frame drawn last.
    void Project(const SbVec3f& p, double& x, double& y) {
        GLdouble model[16], projection[16], z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p[0], p[1], p[2], model, projection, viewport, &x, &y, &z);
        y = 600.0 - y;
    }

    // Where the water's resting plane shows at window pixel (x, y) in the
    // frame drawn last.
    SbVec3f WaterUnder(double x, double y) {
        GLdouble model[16], projection[16], n[3], f[3];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluUnProject(x + 0.5, 600.0 - (y + 0.5), 0.0, model, projection, viewport, &n[0], &n[1],
                     &n[2]);
        gluUnProject(x + 0.5, 600.0 - (y + 0.5), 1.0, model, projection, viewport, &f[0], &f[1],
                     &f[2]);
        const double t = (-1.0 - n[1]) / (f[1] - n[1]);
        return SbVec3f(float(n[0] + t * (f[0] - n[0])), -1.0f, float(n[2] + t * (f[2] - n[2])));
    }

    // The largest departure from rest of the water within two cells of (x, z).
    float WavesAround(float x, float z) const {
        const WaterSurface& w = app->scene().water;
        const int ci = static_cast<int>(x / w.spacingX + 0.5f);
        const int cj = static_cast<int>(z / w.spacingZ + 0.5f);
        float most = 0.0f;
        for (int i = ci - 2; i <= ci + 2; ++i)
            for (int j = cj - 2; j <= cj + 2; ++j)
                most = std::fmax(most, std::fabs(w.positions[i * w.cellsZ + j][1] + 1.0f));
        return most;
    }

    test::ScratchDir dir;
    std::unique_ptr<Application> app;
};

TEST_F(MouseAndPanel, AGrabAtTheMiddleLiftsTheGrabbedSideUntilReleased) {
    // Pressed at the middle of frame 9's picture, pulled 120 pixels up over
    // 30 frames, held there, let go before frame 100. (That the body then
    // comes to rest is tests/scene/SceneTuningTest.cpp's, without drawing.)
    std::string replay = "10 cursor 400 300\n10 button left down\n";
    for (int frame = 11; frame <= 40; ++frame)
        replay +=
            std::to_string(frame) + " cursor 400 " + std::to_string(300 - 4 * (frame - 10)) + "\n";
    Start(replay + "100 button left up\n");
    RunTo(10);
    const BodyPull& pull = app->scene().body.pull;
    ASSERT_TRUE(pull.Active());
    const size_t grabbed = static_cast<size_t>(pull.particle);
    const SbVec3f start = app->scene().body.particles[grabbed].position;
    // The grabbed particle shows under the cursor: the body's surface there
    // is no more than a particle's spacing away.
    double x, y;
    Project(start, x, y);
    EXPECT_NEAR(x, 400.0, 15.0);
    EXPECT_NEAR(y, 300.0, 15.0);

    const float centre = app->scene().body.controller.centre[1];
    RunTo(99);
    const float rise = app->scene().body.particles[grabbed].position[1] - start[1];
    EXPECT_GT(rise, 10.0f);
    // Its side went up further than the body's middle, which follows it.
    EXPECT_GT(rise, app->scene().body.controller.centre[1] - centre + 5.0f);
    EXPECT_EQ(app->camera().yaw, 0.0f);
    RunTo(100);
    EXPECT_FALSE(pull.Active());
}

TEST_F(MouseAndPanel, AClickOnTheWaterRaisesWavesThereAndNotAtTheSplashPoint) {
    Start("10 cursor 200 450\n10 button left down\n11 button left up\n");
    RunTo(9);
    const SbVec3f clicked = WaterUnder(200, 450);
    RunTo(30);
    EXPECT_GT(WavesAround(clicked[0], clicked[2]), 0.5f);
    EXPECT_EQ(WavesAround(Scene::kSplashPoint[0], Scene::kSplashPoint[2]), 0.0f);
    EXPECT_FALSE(app->scene().body.pull.Active());
}

TEST_F(MouseAndPanel, ThePanelTakesTheMouseOverItAndItsSliderTunesTheScene) {
    // The same press and motion over the panel's place, with the panel
    // hidden and then shown.
    const std::string press =
        "10 cursor 600 100\n12 button left down\n12 mouse 40 0\n"
        "13 button left up\n";
    Start(press);
    RunTo(14);
    EXPECT_EQ(app->camera().yaw, -20.0f);  // hidden: the mouse turns the camera
    Start("2 down Tab\n3 up Tab\n" + press +
          // The stiffness slider, the panel's first (its row in the fixed
          // layout), pressed near its left end and dragged to the right.
          "20 cursor 490 244\n20 button left down\n21 cursor 560 244\n22 cursor 650 244\n"
          "23 button left up\n");
    RunTo(14);
    EXPECT_EQ(app->camera().yaw, 0.0f);
    EXPECT_FALSE(app->scene().body.pull.Active());
    const float own = app->scene().OwnTuning().stiffness;
    RunTo(24);
    const float tuned = app->scene().Tuning().stiffness;
    EXPECT_GT(tuned, 3.0f * own);
    EXPECT_EQ(app->scene().body.springs.stiffness[100], tuned);
    EXPECT_FALSE(app->scene().body.pull.Active());
}

}  // namespace
}  // namespace wobble
