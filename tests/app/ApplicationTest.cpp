// The application in this process, headless, driven turn by turn: what a
// replay and a dump cannot show (display mode, GL state after a resize).

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "TestFiles.h"
#include "WobbleProcess.h"
#include "app/Application.h"
#include "platform/SdlWindow.h"

namespace wobble {
namespace {

// Starts an application on the test scene, in the scene's folder for the
// duration of the test.
class InProcess : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteTestScene(scene.path());
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
        ASSERT_EQ(chdir(scene.path().c_str()), 0);
        AppOptions options;
        options.headless = true;
        app =
            std::make_unique<Application>(800, 600, 32, std::make_unique<SdlWindow>(true), options);
        bool ok = false;
        test::CaptureStdout([&] { ok = app->Initialize(); });
        ASSERT_TRUE(ok);
    }
    void TearDown() override {
        app.reset();
        ASSERT_EQ(chdir(previous.c_str()), 0);
    }

    test::ScratchDir scene;
    std::string previous;
    std::unique_ptr<Application> app;
};

TEST_F(InProcess, FullscreenTogglesOncePerKeyDown) {
    app->keys.Press(vk::Letter('T'));
    app->HandleKeys();
    EXPECT_TRUE(app->display.fullscreen);
    EXPECT_FALSE(app->keys.IsDown(vk::Letter('T')));  // the once binding cleared it
    app->HandleKeys();
    app->HandleKeys();
    EXPECT_TRUE(app->display.fullscreen);  // held without repeats: still once
    app->keys.Press(vk::Letter('T'));      // an auto-repeated key-down
    app->HandleKeys();
    EXPECT_FALSE(app->display.fullscreen);
    app->keys.Press(vk::kF5);
    app->HandleKeys();
    EXPECT_TRUE(app->display.fullscreen);
    EXPECT_FALSE(app->keys.IsDown(vk::kF5));
    // The mode record was prepared on the first evaluation of the bindings.
    EXPECT_EQ(app->fullscreenMode.width, 800);
    EXPECT_EQ(app->fullscreenMode.height, 600);
    EXPECT_EQ(app->fullscreenMode.bits, 32);
}

TEST_F(InProcess, ResizingKeepsViewportAndProjection) {
    GLfloat projection[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    SDL_SetWindowSize(SDL_GL_GetCurrentWindow(), 400, 300);
    for (int turn = 0; turn < 10; ++turn)
        ASSERT_TRUE(app->RunTurn());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(after[k], projection[k]) << k;
    // gluPerspective(60, 800 / 600, 1, 2000): the x scale is cot(30 deg) / (4 / 3).
    EXPECT_NEAR(projection[0], 1.7320508 / (800.0 / 600.0), 1e-6);
    EXPECT_NEAR(projection[5], 1.7320508, 1e-6);
}

TEST_F(InProcess, MSwitchesLightingWithTheView) {
    app->keys.Press(vk::Letter('M'));
    app->HandleKeys();
    EXPECT_FALSE(app->surfaceView);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    app->keys.Press(vk::Letter('M'));
    app->HandleKeys();
    EXPECT_TRUE(app->surfaceView);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(InProcess, EveryFrameEndsWithLightingOffAndTheSceneIsFixedInPlace) {
    for (int turn = 0; turn < 5; ++turn)
        ASSERT_TRUE(app->RunTurn());
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(app->lightPosition[0], -10.0f);
    EXPECT_EQ(app->lightPosition[3], 0.0f);
    // The water's body radius: half the distance between control particles 2
    // and 3, across the nose's diagonal of 8 by 8.
    EXPECT_FLOAT_EQ(app->scene->water.radius, 0.5f * std::sqrt(128.0f));
    EXPECT_EQ(app->scene->water.cellsX, 100);
}

TEST_F(InProcess, AKeyCodeBeyondTheTableIsIgnored) {
    const KeyTable before = app->keys;
    app->keys.Press(300);
    app->keys.Press(-1);
    EXPECT_EQ(std::memcmp(before.down, app->keys.down, sizeof before.down), 0);
}

}  // namespace
}  // namespace wobble
