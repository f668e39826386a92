#include "text/Console.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TestFiles.h"
#include "text/InputError.h"

namespace wobble {
namespace {

// What a loader might write: progress lines, a line ended later, an error
// (which flushes standard output first) with a control character in it.
void WriteLikeALoader() {
    ConsoleOut("Loading Mesh from file: %s\n", "body.obj");
    ConsoleOut(" Done!\nSecond Pass: get data... ");
    PrintInputError(MakeInputError("body.obj", 7, "bad \x1b token %d", 3));
    ConsoleOut("Done!\n\n");
    ConsoleErr("%s", std::string(300, 'x').c_str());  // longer than any short buffer
}

using Output = test::ConsoleOutput;
using test::CaptureConsole;

TEST(Console, RecordedLinesWaitForTheirTurnAndThenReadAsIfWrittenDirectly) {
    const Output direct = CaptureConsole(WriteLikeALoader);
    ASSERT_NE(direct.out.find("Second Pass: get data... Done!"), std::string::npos);
    ASSERT_EQ(direct.err.find("body.obj:7: bad \\x1b token 3\n"), 0u);

    ConsoleTranscript transcript;
    const Output whileRecording = CaptureConsole([&] {
        ConsoleRecording recording(transcript);
        WriteLikeALoader();
        // Only the recording thread's lines are held back.
        std::thread([] { ConsoleOut("another thread\n"); }).join();
    });
    EXPECT_EQ(whileRecording.out, "another thread\n");
    EXPECT_EQ(whileRecording.err, "");

    const Output played = CaptureConsole([&] { transcript.Play(); });
    EXPECT_EQ(played.out, direct.out);
    EXPECT_EQ(played.err, direct.err);
    // Once the recording has gone, lines go straight out again.
    EXPECT_EQ(test::CaptureStdout([] { ConsoleOut("after\n"); }), "after\n");
}

}  // namespace
}  // namespace wobble
