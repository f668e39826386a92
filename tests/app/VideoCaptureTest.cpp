// Videos of the whole program: --record FILE.mp4 and F9, run headless.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "TestFiles.h"
#include "VideoProbe.h"
#include "WobbleProcess.h"

namespace wobble::test {
namespace {

class Video : public ::testing::Test {
protected:
    void SetUp() override { WriteTestScene(scene.path()); }

    ScratchDir scene;
};

TEST_F(Video, RecordToMp4TakesEveryFrameAndChangesNothingElse) {
    const ProcessResult plain =
        RunWobble({"--headless", "--frames", "60", "--dump", "plain.txt"}, scene.path());
    const ProcessResult recorded =
        RunWobble({"--headless", "--frames", "60", "--dump", "recorded.txt", "--record", "out.mp4"},
                  scene.path());
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    EXPECT_EQ(recorded.err, "");
    EXPECT_EQ(recorded.out,
              plain.out + "Video written to " + scene.Path("out.mp4") + " (60 frames)\n");
    EXPECT_EQ(ReadWholeFile(scene.Path("recorded.txt")), ReadWholeFile(scene.Path("plain.txt")));

    const VideoFacts facts = ProbeVideo(scene.Path("out.mp4"));
    EXPECT_EQ(facts.codec, "h264");
    EXPECT_EQ(facts.width, 800);
    EXPECT_EQ(facts.height, 600);
    EXPECT_EQ(facts.rate, "60/1");
    EXPECT_EQ(facts.frames, 60);
}

TEST_F(Video, AVideoThatCannotBeMadeIsSaidInOneLineAndEndsTheRunWithStatusOne) {
    // The run goes on to its end; the video it was asked for is missing, so
    // it ends with status 1, as for any output that could not be written:
    // without ffmpeg, and with one that takes every frame and then fails.
    ScratchDir emptyBin, failingBin;
    failingBin.Write("ffmpeg", "#!/bin/sh\n/bin/cat >/dev/null\nexit 1\n");
    chmod(failingBin.Path("ffmpeg").c_str(), 0755);
    const std::string video = scene.Path("out.mp4");
    const struct {
        std::string bin, line;
    } cases[] = {
        {emptyBin.path(), "wobble: cannot record " + video +
                              ": the ffmpeg program is not installed (install the Debian package "
                              "ffmpeg)\n"},
        {failingBin.path(),
         "wobble: recording " + video + " failed: ffmpeg ended with exit status 1\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r =
            RunWobble({"--headless", "--frames", "5", "--dump", "d.txt", "--record", "out.mp4"},
                      scene.path(), {}, {"PATH=" + c.bin});
        EXPECT_EQ(r.exitCode, 1) << c.line;
        EXPECT_EQ(r.err, c.line);
        EXPECT_EQ(ReadDump(scene.Path("d.txt")).frame, "frame 5");
        EXPECT_EQ(r.out.find("Video written"), std::string::npos) << r.out;
        EXPECT_EQ(ReadWholeFile(video), "");
    }
}

TEST_F(Video, F9StartsAndStopsNumberedVideosWithoutOverwriting) {
    scene.Write("wobble-0001.mp4", "an earlier file");
    scene.Write("replay.txt", "3 down F9\n4 up F9\n10 down F9\n11 up F9\n");
    const ProcessResult r =
        RunWobble({"--headless", "--frames", "12", "--replay", "replay.txt"}, scene.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(scene.Path("wobble-0001.mp4")), "an earlier file");
    // Started in frame 3's key handling, stopped in frame 10's: frames 3 to 9.
    EXPECT_NE(r.out.find("Recording video to wobble-0002.mp4 (F9 stops)\n"
                         "Video written to wobble-0002.mp4 (7 frames)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(ProbeVideo(scene.Path("wobble-0002.mp4")).frames, 7);
}

}  // namespace
}  // namespace wobble::test
