#include "app/PreloadedScene.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"

namespace wobble {
namespace {

using Output = test::ConsoleOutput;
using test::CaptureConsole;

// A scene loaded ahead says exactly what loading it directly says, when it is
// taken, with the same outcome, and nothing when it is not: for a good scene,
// a folder without a configuration, and a surface that does not read.
TEST(PreloadedScene, TakeSaysWhatALoadSaysAndGivesTheSameScene) {
    test::ScratchDir empty, badSurface;
    const std::string sample = WOBBLE_SOURCE_DIR "/assets";
    badSurface.Write("config.txt", test::ReadWholeFile(sample + "/config.txt"));
    badSurface.Write("body.tet", test::ReadWholeFile(sample + "/body.tet"));
    badSurface.Write("body.obj", "v 0 0 0\nf 1 2 3\n");
    for (const std::string& folder : {sample, empty.path(), badSurface.path()}) {
        Scene direct;
        const Output expected = CaptureConsole([&] { (void)direct.Load(folder); });

        // Left untaken (the window could not be made), it says nothing at all.
        const Output untaken = CaptureConsole([&] { PreloadedScene preloaded(folder); });
        EXPECT_EQ(untaken.out, "") << folder;
        EXPECT_EQ(untaken.err, "") << folder;

        std::unique_ptr<Scene> taken;
        const Output said = CaptureConsole([&] { taken = PreloadedScene(folder).Take(); });
        EXPECT_EQ(said.out, expected.out) << folder;
        EXPECT_EQ(said.err, expected.err) << folder;
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(taken->IsSimulated(), direct.IsSimulated()) << folder;
        EXPECT_EQ(taken->body.surface.vertices, direct.body.surface.vertices) << folder;
    }
}

}  // namespace
}  // namespace wobble
