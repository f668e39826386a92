// An installed copy of the program (bin/wobble beside share/wobble) started
// where there is no scene.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "PngFile.h"
#include "TestFiles.h"
#include "WobbleProcess.h"

namespace wobble::test {
namespace {

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        fs::create_directories(prefix.Path("bin"));
        fs::create_directories(prefix.Path("share/wobble"));
        fs::copy_file(WOBBLE_BINARY, prefix.Path("bin/wobble"));
        WriteTestScene(prefix.Path("share/wobble"));
    }

    ScratchDir prefix;
    ScratchDir work;  // the folder it is started in
};

TEST_F(Installed, WithoutConfigItRunsTheInstalledSceneAndWritesScreenshotsWhereItStarted) {
    work.Write("replay.txt", "2 down F12\n3 up F12\n");
    const ProcessResult r = RunProgram(
        prefix.Path("bin/wobble"),
        {"--headless", "--frames", "3", "--replay", "replay.txt", "--dump", "d.txt"}, work.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "wobble: no config.txt here: running the sample scene in " +
                         prefix.Path("share/wobble") + "\n");
    EXPECT_EQ(ReadDump(work.Path("d.txt")).frame, "frame 3");
    Picture shot;
    EXPECT_TRUE(ReadPng(work.Path("wobble-0001.png"), shot));
    struct stat info;
    EXPECT_NE(stat(prefix.Path("share/wobble/wobble-0001.png").c_str(), &info), 0);
}

TEST_F(Installed, AConfigInTheWorkingFolderOrANamedSceneComesFirst) {
    WriteTestScene(work.path());
    const ProcessResult here =
        RunProgram(prefix.Path("bin/wobble"), {"--headless", "--frames", "1"}, work.path());
    EXPECT_EQ(here.exitCode, 0);
    EXPECT_EQ(here.err, "");

    ScratchDir empty;
    const ProcessResult named = RunProgram(
        prefix.Path("bin/wobble"), {empty.path(), "--headless", "--frames", "1"}, work.path());
    EXPECT_EQ(named.exitCode, 1);  // the named folder has no scene, and that is said
    EXPECT_EQ(named.err.find("running the sample scene"), std::string::npos) << named.err;
}

}  // namespace
}  // namespace wobble::test
