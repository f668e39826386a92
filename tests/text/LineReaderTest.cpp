#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "text/InputError.h"
#include "text/LineReader.h"

namespace wobble {
namespace {

TEST(LineReader, PiecesFollowFgetsWithA256CharacterBuffer) {
    test::ScratchDir dir;
    const std::string longLine(300, 'x');
    LineReader in(dir.Write("f.txt", "ab\n" + longLine + "\nlast"));
    ASSERT_TRUE(in.IsOpen());
    ASSERT_TRUE(in.Next());
    EXPECT_STREQ(in.text(), "ab\n");
    EXPECT_EQ(in.lineNumber(), 1);
    EXPECT_FALSE(in.AtEnd());
    ASSERT_TRUE(in.Next());
    EXPECT_EQ(std::string(in.text()), std::string(255, 'x'));
    EXPECT_EQ(in.lineNumber(), 2);
    EXPECT_FALSE(in.EndsLine());
    ASSERT_TRUE(in.Next());
    EXPECT_EQ(std::string(in.text()), std::string(45, 'x') + "\n");
    EXPECT_EQ(in.lineNumber(), 2);  // the rest of the same physical line
    ASSERT_TRUE(in.Next());
    EXPECT_STREQ(in.text(), "last");
    EXPECT_EQ(in.lineNumber(), 3);
    EXPECT_TRUE(in.AtEnd());  // read up to the end, as feof would say
    EXPECT_FALSE(in.Next());
    EXPECT_STREQ(in.text(), "last");  // a failed read leaves the last piece
}

TEST(LineReader, LineLongerThanTheReadBlockIsCutIntoPiecesAcrossBlocks) {
    // 200000 characters: the 64 KiB blocks end in the middle of pieces.
    test::ScratchDir dir;
    std::string line;
    for (int i = 0; i < 200000; ++i)
        line += static_cast<char>('a' + i % 26);
    LineReader in(dir.Write("f.txt", line + "\nend"));
    std::string joined;
    int pieces = 0;
    while (in.Next() && in.lineNumber() == 1) {
        ++pieces;
        joined.append(in.text(), in.length());
        ASSERT_EQ(in.length(), in.EndsLine() ? 200000u % 255 + 1 : 255u) << pieces;
    }
    EXPECT_EQ(pieces, 200000 / 255 + 1);
    EXPECT_EQ(joined, line + "\n");
    EXPECT_STREQ(in.text(), "end");
    EXPECT_EQ(in.lineNumber(), 2);
}

TEST(LineReader, NulBytesCountInThePieceButEndItsText) {
    test::ScratchDir dir;
    LineReader in(dir.Write("f.txt", std::string("ab\0cd\nx", 8)));
    ASSERT_TRUE(in.Next());
    EXPECT_EQ(in.length(), 6u);
    EXPECT_STREQ(in.text(), "ab");
    EXPECT_TRUE(in.EndsLine());
}

TEST(LineReader, EndIsSeenOnlyWhenAReadRunsIntoIt) {
    test::ScratchDir dir;
    LineReader in(dir.Write("f.txt", "one\n"));
    ASSERT_TRUE(in.Next());
    EXPECT_FALSE(in.AtEnd());
    EXPECT_FALSE(in.Next());
    EXPECT_TRUE(in.AtEnd());
}

TEST(LineReader, MissingFilesAndDirectoriesAreNotOpened) {
    test::ScratchDir dir;
    LineReader missing(dir.Path("absent"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.Next());
    LineReader folder(dir.path());
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_EQ(folder.error(), "is a directory");
}

TEST(InputError, PrintedItNamesFileAndLineAndSaysNothingWithoutAMessage) {
    const std::string err = test::CaptureStderr([] {
        PrintInputError(MakeInputError("body.tet", 12, "corner index %d is outside 0..%d", 57, 49));
        PrintInputError(MakeInputError("config.txt", 0, "no line"));
        PrintInputError(InputError{"silent.tet", 3, ""});
    });
    EXPECT_EQ(err, "body.tet:12: corner index 57 is outside 0..49\nconfig.txt: no line\n");
}

TEST(InputError, ControlCharactersQuotedFromTheInputAreWrittenEscaped) {
    const std::string err = test::CaptureStderr([] {
        PrintInputError(
            MakeInputError("a\rb.txt", 3, "unknown key '%s'", "\x1b[2J\x1b[31mred\x7f\tx"));
        PrintInputError(
            MakeInputError("k\xc3\xb6rper.tet", 0, "%s", std::string(600, 'y').c_str()));
    });
    EXPECT_EQ(err,
              "a\\x0db.txt:3: unknown key '\\x1b[2J\\x1b[31mred\\x7f\\x09x'\n"
              "k\xc3\xb6rper.tet: " +
                  std::string(600, 'y') + "\n");
}

}  // namespace
}  // namespace wobble
