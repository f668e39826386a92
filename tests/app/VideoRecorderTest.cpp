// The recorder against the real ffmpeg, a missing one and one that fails.

#include "app/VideoRecorder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "TestFiles.h"
#include "VideoProbe.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::ScratchDir;

// Top half red, bottom half blue: a frame that shows which way up it went.
Image RedOverBlue(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = y < height / 2 ? 220 : 0;
            p[2] = y < height / 2 ? 0 : 220;
        }
    return image;
}

// PATH set to `value` for the life of the object.
class PathFor {
public:
    explicit PathFor(const std::string& value) : saved_(std::getenv("PATH")) {
        setenv("PATH", value.c_str(), 1);
    }
    ~PathFor() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(VideoRecorder, EncodesEveryFrameTopRowFirstAtSixtyFramesASecond) {
    struct Case {
        const char* name;
        const char* codec;
    };
    for (const Case c : {Case{"clip.mp4", "h264"}, Case{"clip.webm", "vp9"}}) {
        SCOPED_TRACE(c.name);
        ScratchDir folder;
        const std::string path = folder.Path(c.name);
        VideoRecorder recorder;
        ASSERT_TRUE(recorder.Start(path, 64, 48));
        const Image frame = RedOverBlue(64, 48);
        for (int k = 0; k < 12; ++k)
            recorder.AddFrame(frame);
        EXPECT_EQ(recorder.framesWritten(), 12);
        ASSERT_TRUE(recorder.Finish());
        EXPECT_FALSE(recorder.IsRecording());

        const test::VideoFacts facts = test::ProbeVideo(path);
        EXPECT_EQ(facts.codec, c.codec);
        EXPECT_EQ(facts.width, 64);
        EXPECT_EQ(facts.height, 48);
        EXPECT_EQ(facts.rate, "60/1");
        EXPECT_EQ(facts.frames, 12);
        const test::Picture first = test::DecodeFrame(path, 0);
        ASSERT_EQ(first.width, 64);
        const uint8_t* top = first.At(32, 8);
        const uint8_t* bottom = first.At(32, 40);
        EXPECT_GT(top[0], 150);
        EXPECT_LT(top[2], 60);
        EXPECT_LT(bottom[0], 60);
        EXPECT_GT(bottom[2], 150);
    }
}

TEST(VideoRecorder, WithoutFfmpegOnThePathItSaysWhatToInstallAndRecordsNothing) {
    ScratchDir folder, emptyBin;
    const std::string path = folder.Path("clip.mp4");
    VideoRecorder recorder;
    bool started = true;
    const std::string err = CaptureStderr([&] {
        PathFor path_(emptyBin.path());
        started = recorder.Start(path, 64, 48);
    });
    EXPECT_FALSE(started);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(err, "wobble: cannot record " + path +
                       ": the ffmpeg program is not installed (install the Debian package "
                       "ffmpeg)\n");
    struct stat info;
    EXPECT_NE(stat(path.c_str(), &info), 0);
}

TEST(VideoRecorder, AFailingFfmpegIsReportedByItsExitStatusAndTheProgramLivesOn) {
    // An ffmpeg that reads nothing and fails: a frame larger than the pipe
    // holds meets a closed pipe, which would raise SIGPIPE and end this test.
    ScratchDir folder, bin;
    bin.Write("ffmpeg", "#!/bin/sh\nexit 3\n");
    chmod(bin.Path("ffmpeg").c_str(), 0755);
    const std::string path = folder.Path("clip.mp4");
    VideoRecorder recorder;
    const Image frame = RedOverBlue(800, 600);
    bool finished = true;
    const std::string err = CaptureStderr([&] {
        PathFor path_(bin.path());
        ASSERT_TRUE(recorder.Start(path, 800, 600));
        for (int k = 0; k < 3; ++k)
            recorder.AddFrame(frame);
        finished = recorder.Finish();
    });
    EXPECT_FALSE(finished);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(err, "wobble: recording " + path + " failed: ffmpeg ended with exit status 3\n");
}

TEST(VideoRecorder, AFileThatCannotBeMadeIsRefusedInOneLineBeforeFfmpegStarts) {
    VideoRecorder recorder;
    bool started = true;
    const std::string err =
        CaptureStderr([&] { started = recorder.Start("/no-such-folder/clip.mp4", 64, 48); });
    EXPECT_FALSE(started);
    EXPECT_EQ(Lines(err), 1) << err;
    EXPECT_EQ(err, "wobble: cannot record /no-such-folder/clip.mp4: No such file or directory\n");
}

TEST(VideoRecorder, OnlyMp4AndWebmNamesAreVideos) {
    struct Case {
        const char* path;
        bool video;
    };
    for (const Case c :
         {Case{"out.mp4", true}, Case{"/tmp/a/out.webm", true}, Case{"frames", false},
          Case{"out.mp4/", false}, Case{"out.MP4", false}, Case{"mp4", false}}) {
        EXPECT_EQ(VideoRecorder::IsVideoPath(c.path), c.video) << c.path;
    }
}

}  // namespace
}  // namespace wobble
