// handling.txt beside config.txt: absent it is the program's handling; the
// builder's text reads back to the same bits; every bad line is refused with
// the file, its line and the problem.

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "softbody/HandlingFile.h"

namespace wobble {
namespace {

TEST(HandlingFile, AbsentItIsTheProgramsOwnHandling) {
    test::ScratchDir dir;
    Result<SceneHandling> read = ReadHandlingFile(dir.Path(""));
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(*read == SceneHandling());
    EXPECT_EQ(read->body.subSteps, 1);
    EXPECT_EQ(read->body.relativeDamping, 0.15f);
    EXPECT_EQ(read->maxThrust, 30.0f);
}

TEST(HandlingFile, WrittenTextReadsBackToTheSameBits) {
    SceneHandling handling;
    handling.body.subSteps = 13;
    handling.body.relativeDamping = 0.00171234567f;
    handling.body.thrustSpread = 2.5f;
    handling.maxThrust = 25.3f;
    test::ScratchDir dir;
    dir.Write(SceneHandling::kFileName, HandlingText(handling));
    Result<SceneHandling> read = ReadHandlingFile(dir.Path(""));
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_TRUE(*read == handling);
}

TEST(HandlingFile, CommentsBlankLinesAndLeftOutKeywordsKeepThePrograms) {
    test::ScratchDir dir;
    dir.Write(SceneHandling::kFileName, "# a comment\n\n   substeps 4\n");
    Result<SceneHandling> read = ReadHandlingFile(dir.Path(""));
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->body.subSteps, 4);
    EXPECT_EQ(read->body.relativeDamping, 0.15f);
    EXPECT_EQ(read->maxThrust, 30.0f);
}

TEST(HandlingFile, BadLinesAreRefusedWithTheirLine) {
    struct Case {
        const char* text;
        int line;
        const char* problem;
    };
    const Case cases[] = {
        {"substeps 0\n", 1, "outside 1..1000"},
        {"substeps 1001\n", 1, "outside 1..1000"},
        {"substeps 2.5\n", 1, "expected \"substeps <count>\""},
        {"# fine\nsubsteps\n", 2, "expected \"substeps <count>\""},
        {"damping -0.1\n", 1, "not negative"},
        {"damping nan\n", 1, "finite"},
        {"thrust inf\n", 1, "finite"},
        {"spread -2\n", 1, "not negative"},
        {"thrust 30 40\n", 1, "expected \"thrust <number>\""},
        {"substeps 2\nspeed 3\n", 2, "unknown setting \"speed\""},
    };
    for (const Case& c : cases) {
        test::ScratchDir dir;
        dir.Write(SceneHandling::kFileName, c.text);
        Result<SceneHandling> read = ReadHandlingFile(dir.Path(""));
        ASSERT_FALSE(read.ok()) << c.text;
        EXPECT_EQ(read.error().file, SceneHandling::kFileName) << c.text;
        EXPECT_EQ(read.error().line, c.line) << c.text;
        EXPECT_NE(read.error().message.find(c.problem), std::string::npos)
            << c.text << ": " << read.error().message;
    }
}

}  // namespace
}  // namespace wobble
