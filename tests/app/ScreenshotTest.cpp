// What the program shows, judged from its own screenshots.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PngFile.h"
#include "TestFiles.h"
#include "WobbleProcess.h"

namespace wobble::test {
namespace {

bool IsClearColour(uint8_t r, uint8_t g, uint8_t b) {
    return r == 76 && g == 76 && b == 255;
}
bool IsLitBody(uint8_t r, uint8_t g, uint8_t b) {
    return r > 90 && r > g + 30 && g > b;
}
bool IsWater(uint8_t r, uint8_t g, uint8_t b) {
    return b > 80 && r < 70 && g < 70;
}
bool IsRed(uint8_t r, uint8_t g, uint8_t b) {
    return r > 200 && g < 50 && b < 50;
}
bool IsYellow(uint8_t r, uint8_t g, uint8_t b) {
    return r > 200 && g > 200 && b < 60;
}

class Screenshots : public ::testing::Test {
protected:
    void SetUp() override { WriteTestScene(scene.path()); }

    Picture Shot(const std::string& replay, int frames, const std::string& name = "shot.png") {
        scene.Write("replay.txt", replay);
        const ProcessResult r = RunWobble({"--headless", "--frames", std::to_string(frames),
                                           "--replay", "replay.txt", "--screenshot", name},
                                          scene.path());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        Picture p;
        EXPECT_TRUE(ReadPng(scene.Path(name), p));
        return p;
    }

    ScratchDir scene;
};

TEST_F(Screenshots, SurfaceViewShowsTheLitBodyOverTheWaterUnderTheClearColour) {
    const Picture p = Shot("", 20);
    ASSERT_EQ(p.width, 800);
    ASSERT_EQ(p.height, 600);
    EXPECT_EQ(p.Count(0, 0, 800, 60, IsClearColour), 800 * 60);  // the sky above the horizon
    EXPECT_GT(p.Count(0, 400, 800, 600, IsWater), 800 * 200 * 9 / 10);
    EXPECT_GT(p.Count(300, 200, 500, 400, IsLitBody), 150);  // the body, seen from behind
    EXPECT_EQ(p.Count(0, 0, 800, 600, IsRed), 0);
}

TEST_F(Screenshots, WireframeViewShowsRedEdgesAndYellowControlPoints) {
    const Picture p = Shot("2 down M\n3 up M\n", 20);
    EXPECT_GT(p.Count(250, 150, 550, 450, IsRed), 300);
    EXPECT_GE(p.Count(250, 150, 550, 450, IsYellow),
              8 * 8);  // eight points of 8 x 8 pixels, some hidden
    EXPECT_EQ(p.Count(0, 0, 800, 600, IsLitBody), 0);
}

TEST_F(Screenshots, TheOverviewAndThePanelChangePixelsOnlyWhileShown) {
    const Picture plain = Shot("", 12, "plain.png");
    const Picture toggled =
        Shot("2 down F1\n3 up F1\n5 down F1\n6 up F1\n2 down Tab\n3 up Tab\n5 down Tab\n6 up Tab\n",
             12, "toggled.png");
    EXPECT_EQ(plain.rgb, toggled.rgb);
    const auto same = [&](const Picture& p, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += std::equal(p.At(x, y), p.At(x, y) + 3, plain.At(x, y));
        return count;
    };
    // F1: the overview over the sky in the top-left corner; Tab: the panel
    // down the right side. The rest of the picture is untouched.
    const Picture overview = Shot("2 down F1\n3 up F1\n", 12, "overview.png");
    EXPECT_LT(overview.Count(0, 0, 200, 40, IsClearColour), 200 * 40);
    EXPECT_EQ(same(overview, 400, 300, 800, 600), 400 * 300);
    const Picture panel = Shot("2 down Tab\n3 up Tab\n", 12, "panel.png");
    EXPECT_LT(same(panel, 500, 20, 780, 500), 280 * 480 / 2);
    EXPECT_EQ(same(panel, 0, 0, 400, 600), 400 * 600);
}

TEST_F(Screenshots, F12WritesNumberedPngsWithoutOverwriting) {
    scene.Write("wobble-0001.png", "an earlier file");
    scene.Write("replay.txt", "3 down F12\n4 up F12\n6 down F12\n7 up F12\n");
    const ProcessResult r =
        RunWobble({"--headless", "--frames", "8", "--replay", "replay.txt"}, scene.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(scene.Path("wobble-0001.png")), "an earlier file");
    EXPECT_NE(r.out.find("Screenshot written to wobble-0002.png\n"), std::string::npos);
    EXPECT_NE(r.out.find("Screenshot written to wobble-0003.png\n"), std::string::npos);
    for (const char* name : {"wobble-0002.png", "wobble-0003.png"}) {
        Picture p;
        ASSERT_TRUE(ReadPng(scene.Path(name), p)) << name;
        EXPECT_EQ(p.width, 800);
        EXPECT_EQ(p.height, 600);
    }
}

}  // namespace
}  // namespace wobble::test

namespace wobble::test {
namespace {

TEST_F(Screenshots, RecordWritesEveryFrameWithAProgressLineEveryHundred) {
    const ProcessResult r =
        RunWobble({"--headless", "--frames", "101", "--record", "frames"}, scene.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Recorded 100 frames to " + scene.Path("frames") + "\n"),
              std::string::npos);
    EXPECT_EQ(r.out.find("Recorded 101"), std::string::npos);
    Picture first, last;
    ASSERT_TRUE(ReadPng(scene.Path("frames/frame-000001.png"), first));
    ASSERT_TRUE(ReadPng(scene.Path("frames/frame-000101.png"), last));
    EXPECT_EQ(last.width, 800);
    EXPECT_NE(first.rgb, last.rgb);  // the water has moved in between
    EXPECT_FALSE(ReadPng(scene.Path("frames/frame-000102.png"), last));
}

}  // namespace
}  // namespace wobble::test
