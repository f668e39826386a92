// The application in this process, headless, driven turn by turn: what a
// replay and a dump cannot show (display mode, GL state after a resize).

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "PngFile.h"
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
    app->keys().Press(vk::Letter('T'));
    app->HandleKeys();
    EXPECT_TRUE(app->display().fullscreen);
    EXPECT_FALSE(app->keys().IsDown(vk::Letter('T')));  // the once binding cleared it
    app->HandleKeys();
    app->HandleKeys();
    EXPECT_TRUE(app->display().fullscreen);  // held without repeats: still once
    app->keys().Press(vk::Letter('T'));      // an auto-repeated key-down
    app->HandleKeys();
    EXPECT_FALSE(app->display().fullscreen);
    app->keys().Press(vk::kF5);
    app->HandleKeys();
    EXPECT_TRUE(app->display().fullscreen);
    EXPECT_FALSE(app->keys().IsDown(vk::kF5));
    // The mode record was prepared on the first evaluation of the bindings.
    EXPECT_EQ(app->fullscreenMode().width, 800);
    EXPECT_EQ(app->fullscreenMode().height, 600);
    EXPECT_EQ(app->fullscreenMode().bits, 32);
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

TEST_F(InProcess, MSwitchesTheView) {
    app->keys().Press(vk::Letter('M'));
    app->HandleKeys();
    EXPECT_FALSE(app->surfaceView());
    app->keys().Press(vk::Letter('M'));
    app->HandleKeys();
    EXPECT_TRUE(app->surfaceView());
}

TEST_F(InProcess, EveryFrameEndsWithLightingOffAndTheSceneIsFixedInPlace) {
    for (int turn = 0; turn < 5; ++turn)
        ASSERT_TRUE(app->RunTurn());
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The water's body radius: half the distance between control particles 2
    // and 3, across the nose's diagonal of 8 by 8.
    EXPECT_FLOAT_EQ(app->scene().water.radius, 0.5f * std::sqrt(128.0f));
    EXPECT_EQ(app->scene().water.cellsX, 100);
}

TEST_F(InProcess, AKeyCodeBeyondTheTableIsIgnored) {
    const KeyTable before = app->keys();
    app->keys().Press(300);
    app->keys().Press(-1);
    EXPECT_EQ(std::memcmp(before.down, app->keys().down, sizeof before.down), 0);
}

TEST_F(InProcess, AModelDroppedOnTheWindowIsBuiltWhileTheSceneRunsOn) {
    // The builder is found on PATH (this test program has none beside it),
    // and the cache is the test's own. It is held until a frame of the
    // build is on file, so the build lasts as long as the test needs.
    test::ScratchDir cache, builderFolder;
    test::Gate gate(builderFolder.Path("gate"));
    const std::string builder =
        builderFolder.Write("wobble-scene", "#!/bin/sh\n" + gate.WaitCommand() +
                                                "\nexec '" WOBBLE_SCENE_BINARY "' \"$@\"\n");
    chmod(builder.c_str(), 0755);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (builderFolder.path() + ":" + path).c_str(), 1);
    setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    const std::string model = scene.Write("cube.obj", test::kCubeObj);
    const std::string shot = scene.Path("wobble-0001.png");
    const Scene* before = &app->scene();
    app->keys().Press(vk::kUp);
    long long framesWhileBuilding = 0;
    test::CaptureStdout([&] {
        app->HandleDrop(model, false);
        // The drop returned at once; the frames go on with the old scene.
        EXPECT_TRUE(test::PollUntil(
            "the dropped model's scene",
            [&] {
                const long long frames = app->framesRun();
                if (!app->RunTurn())
                    return true;  // the loop ended: the checks below fail
                if (app->framesRun() > frames && &app->scene() == before) {
                    ++framesWhileBuilding;
                    // The status shows from the second frame of the build on
                    // (its window is measured in the first); one is kept on file.
                    if (framesWhileBuilding == 2)
                        app->keys().Press(vk::kF12);
                    if (std::filesystem::exists(shot))
                        gate.Open();
                }
                return &app->scene() != before;
            },
            std::chrono::seconds(100)));
    });
    setenv("PATH", path.c_str(), 1);
    unsetenv("XDG_CACHE_HOME");
    EXPECT_GT(framesWhileBuilding, 2);
    EXPECT_NE(&app->scene(), before);
    // The frame on file shows the status with its progress bar across the
    // bottom: a row of the bar's frame, dark blue-grey where it is still to
    // fill, far from the water's blues.
    test::Picture picture;
    ASSERT_TRUE(test::ReadPng(shot, picture));
    int widest = 0;
    for (int y = picture.height - static_cast<int>(kStatusPanelInset) - 40;
         y < picture.height - static_cast<int>(kStatusPanelInset); ++y) {
        widest =
            std::max(widest, picture.Count(0, y, picture.width, y + 1, [](int r, int g, int b) {
                return r > 20 && r < 70 && g > 35 && g < 90 && b > 60 && b < 120 && b - r > 25;
            }));
    }
    EXPECT_GT(widest, picture.width / 2) << "no progress bar in the frame";
}

}  // namespace
}  // namespace wobble
