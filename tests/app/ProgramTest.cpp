// The whole program, run headless with replayed input, judged by its dumped
// state, its console and its exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WobbleProcess.h"

namespace wobble::test {
namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override { WriteTestScene(scene.path()); }

    // Runs `frames` frames with the replay text; returns the dump. With the
    // WebAssembly build there (`make web`), runs it too, which must step,
    // aim and end the same, to the bit.
    Dump RunReplay(const std::string& replay, int frames, ProcessResult* result = nullptr,
                   const std::string& dumpName = "dump.txt") {
        scene.Write("replay.txt", replay);
        std::vector<std::string> args = {"--headless", "--replay", "replay.txt", "--dump",
                                         dumpName};
        if (frames >= 0) {
            args.push_back("--frames");
            args.push_back(std::to_string(frames));
        }
        const ProcessResult r = RunWobble(args, scene.path());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        if (result != nullptr)
            *result = r;
        const Dump desktop = ReadDump(scene.Path(dumpName));
        if (NodeBuildPresent()) {
            std::replace(args.begin(), args.end(), dumpName, "node-" + dumpName);
            const ProcessResult n = RunWobbleNode(args, scene.path());
            EXPECT_EQ(n.exitCode, r.exitCode) << n.err;
            ExpectSameDump(ReadDump(scene.Path("node-" + dumpName)), desktop);
        }
        return desktop;
    }

    ScratchDir scene;
};

TEST_F(Program, StartUpPrintsTheLoaderLinesInOrder) {
    ProcessResult r;
    RunReplay("", 0, &r);
    EXPECT_EQ(r.out,
              "Vertices 63\nTetras   144\nSprings  262\nLoading TET-File: 1 \n\n"
              "Loading Mesh from file: box.obj\nFirst pass: get amount of data to store...\n"
              " Vertices: 8\n Normals: 0\n Texcoords: 0\n Triangles: 12\n Done!\n"
              "Second Pass: get data... Done!\n\nLoading OBJ-File: 1\n\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Program, HeldUpRampsTheThrustToThirtyAndReleaseDecaysIt) {
    EXPECT_EQ(RunReplay("1 down Up\n", 30).thrust, "thrust 30 0 0 0");
    EXPECT_EQ(RunReplay("1 down Up\n", 45).thrust, "thrust 30 0 0 0");
    // Released before frame 31: frames 31 to 40 take it down by one each.
    EXPECT_EQ(RunReplay("1 down Up\n31 up Up\n", 40).thrust, "thrust 20 0 0 0");
    EXPECT_EQ(RunReplay("1 down Up\n31 up Up\n", 70).thrust, "thrust 0 0 0 0");
}

TEST_F(Program, UpAndDownTogetherLeaveOnlyOneStepBackward) {
    EXPECT_EQ(RunReplay("1 down Up\n1 down Down\n1 down Left\n1 down Right\n", 25).thrust,
              "thrust 0 1 0 1");
}

TEST_F(Program, DownAndUpInTheSameFrameActInThatFrameOnly) {
    // A quick tap between two frames counts as the key held for one frame:
    // one step of thrust (decayed again a frame later), one flip of the view.
    const Dump quiet = RunReplay("", 8);
    EXPECT_EQ(RunReplay("3 down Up\n3 up Up\n", 3).thrust, "thrust 1 0 0 0");
    const Dump tapped = RunReplay("3 down Up\n3 up Up\n5 down M\n5 up M\n", 8);
    EXPECT_EQ(tapped.thrust, "thrust 0 0 0 0");
    EXPECT_EQ(tapped.view, "view wireframe");
    EXPECT_FALSE(tapped.particles == quiet.particles);
}

TEST_F(Program, MFlipsTheViewOncePerKeyDown) {
    EXPECT_EQ(RunReplay("2 down M\n", 10).view, "view wireframe");  // held for 9 frames: once
    EXPECT_EQ(RunReplay("2 down M\n4 down M\n", 10).view, "view surface");  // auto-repeat: twice
    EXPECT_EQ(RunReplay("2 down M\n4 up M\n6 down M\n", 10).view, "view surface");
}

TEST_F(Program, EscapeEndsAfterItsFrameAndCloseWithoutAnother) {
    EXPECT_EQ(RunReplay("5 down Escape\n", -1).frame, "frame 5");
    EXPECT_EQ(RunReplay("5 close\n", -1).frame, "frame 4");
}

TEST_F(Program, HeldCCyclesTheCameraEverySeventhFrame) {
    EXPECT_EQ(RunReplay("1 down C\n", 6).camera.substr(0, 10), "camera 4 6");
    // Leaving orbit mode puts the free camera over the body's centre.
    const Dump free = RunReplay("1 down C\n", 7);
    EXPECT_EQ(free.camera.substr(0, 13), "camera 0 0 0 ");
    EXPECT_NE(free.camera.find(" 1 "), std::string::npos);  // the eye's height stays 1
    EXPECT_EQ(RunReplay("1 down C\n", 14).camera.substr(0, 10), "camera 1 0");
    // The count carries over between presses: 4 + 3 frames change the mode.
    EXPECT_EQ(RunReplay("1 down C\n5 up C\n8 down C\n", 10).camera.substr(0, 10), "camera 0 0");
}

TEST_F(Program, FunctionKeysActLikeTheirLetters) {
    const Dump z = RunReplay("2 down Z\n", 12, nullptr, "z.txt");
    EXPECT_TRUE(z.water == RunReplay("2 down F11\n", 12).water);
    EXPECT_FALSE(z.water == RunReplay("", 12).water);
    const Dump b = RunReplay("2 down B\n", 6, nullptr, "b.txt");
    EXPECT_TRUE(b.particles == RunReplay("2 down KP2\n", 6).particles);
    EXPECT_FALSE(b.particles == RunReplay("", 6).particles);
}

TEST_F(Program, MouseMotionTurnsTheOrbitAtHalfACountPerCount) {
    // 10 counts to the right give dx = 5: yaw -= 5.
    EXPECT_EQ(RunReplay("2 mouse 10 0\n", 3).camera.substr(0, 14), "camera 4 0 0 0");
    EXPECT_NE(RunReplay("2 mouse 10 0\n", 3).camera.find(" -5 "), std::string::npos);
}

TEST_F(Program, PausedRunKeepsItsStateWhileTheCameraMoves) {
    const Dump before = RunReplay("1 down Up\n5 down P\n6 up P\n", 10, nullptr, "a.txt");
    const Dump after =
        RunReplay("1 down Up\n5 down P\n6 up P\n20 down W\n20 mouse 30 0\n", 110, nullptr, "b.txt");
    EXPECT_TRUE(before.particles == after.particles);
    EXPECT_TRUE(before.water == after.water);
    EXPECT_EQ(before.thrust, after.thrust);
    EXPECT_NE(before.camera, after.camera);
}

TEST_F(Program, OWhilePausedRunsExactlyOneFrame) {
    // Paused before frame 1; each O simulates its frame alone. (The first
    // step leaves positions as loaded, so two steps are compared.)
    const Dump stepped =
        RunReplay("1 down P\n2 up P\n5 down O\n6 up O\n8 down O\n9 up O\n", 12, nullptr, "a.txt");
    const Dump fresh = RunReplay("", 2, nullptr, "b.txt");
    EXPECT_TRUE(stepped.particles == fresh.particles);
    EXPECT_TRUE(stepped.water == fresh.water);
    const Dump once = RunReplay("1 down P\n2 up P\n5 down O\n6 up O\n", 12, nullptr, "c.txt");
    EXPECT_FALSE(once.particles == fresh.particles);
}

TEST_F(Program, AfterResetTheRunGoesOnLikeAFreshStart) {
    const std::string busy = "1 down Up\n3 down B\n5 up B\n8 down Z\n9 up Z\n10 down C\n17 up C\n";
    // R before frame 21: frames 21 to 50 must be a fresh run's frames 1 to 30.
    const Dump reset = RunReplay(busy + "20 up Up\n21 down R\n22 up R\n", 50, nullptr, "a.txt");
    const Dump fresh = RunReplay("", 30, nullptr, "b.txt");
    EXPECT_TRUE(reset.particles == fresh.particles);
    EXPECT_TRUE(reset.surface == fresh.surface);
    EXPECT_TRUE(reset.water == fresh.water);
    EXPECT_EQ(reset.thrust, fresh.thrust);
    EXPECT_EQ(reset.camera, fresh.camera);
}

TEST_F(Program, BadCommandLinesAndReplaysAreRefusedWithStatusTwo) {
    // Every run here would go on without end if the program wrongly took its
    // input, so each is bounded: --frames 1, or the test's time limit where
    // --frames itself is what must be refused.
    const ProcessResult unknown = RunWobble({"--warp", "--frames", "1"}, scene.path());
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("unknown option '--warp'"), std::string::npos);
    EXPECT_NE(unknown.err.find("usage: wobble"), std::string::npos);
    EXPECT_EQ(RunWobble({"--frames", "-3"}, scene.path()).exitCode, 2);
    EXPECT_EQ(RunWobble({"--frames", " -3"}, scene.path()).exitCode, 2);
    EXPECT_EQ(RunWobble({"--frames", "+3"}, scene.path()).exitCode, 2);
    EXPECT_EQ(RunWobble({"--frames"}, scene.path()).exitCode, 2);

    scene.Write("bad.txt", "# fine\n1 down Up\n\n2 sideways Up\n");
    const std::vector<std::string> replayBad = {"--headless", "--frames", "1", "--replay",
                                                "bad.txt"};
    const ProcessResult bad = RunWobble(replayBad, scene.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(
        bad.err,
        scene.Path("bad.txt") +
            ":4: unknown event 'sideways' (down, up, mouse, cursor, button, pad, close or drop)\n");
    EXPECT_EQ(bad.out, "");  // refused before anything started
    scene.Write("bad.txt", "0 down Up\n");
    EXPECT_EQ(RunWobble(replayBad, scene.path()).exitCode, 2);
    scene.Write("bad.txt", "3 down Shift\n");
    EXPECT_EQ(RunWobble(replayBad, scene.path()).exitCode, 2);
}

TEST_F(Program, HelpAndVersion) {
    const ProcessResult help = RunWobble({"--help"}, scene.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    EXPECT_NE(help.out.find("F12"), std::string::npos);
    const ProcessResult version = RunWobble({"--version"}, scene.path());
    EXPECT_EQ(version.out, "wobble 1.0.0\n");
}

TEST_F(Program, UnusableScenesStopWithOneLineAndStatusOne) {
    ScratchDir empty;
    // --frames 1: a scene wrongly accepted ends the run rather than the test's time.
    const std::vector<std::string> oneFrame = {"--headless", "--frames", "1"};
    const ProcessResult missing = RunWobble(oneFrame, empty.path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_NE(missing.err.find("config.txt"), std::string::npos);

    std::string config = ReadWholeFile(scene.Path("config.txt"));
    config.replace(config.find("points ") + 7, 2, "99");  // an index far outside the body
    scene.Write("config.txt", config);
    const ProcessResult outside = RunWobble(oneFrame, scene.path());
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_EQ(std::count(outside.err.begin(), outside.err.end(), '\n'), 1) << outside.err;

    WriteTestScene(scene.path());
    scene.Write("body.tet",
                "tet version 1.0\nnum_materials 1\nnum_vertices 3\nnum_tetras 1\n"
                "num_triangles 0\nMATERIALS\nVERTICES\n0 0 0\n1 1\n");
    const ProcessResult broken = RunWobble(oneFrame, scene.path());
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(std::count(broken.err.begin(), broken.err.end(), '\n'), 1) << broken.err;
    EXPECT_NE(broken.err.find("body.tet:9:"), std::string::npos) << broken.err;
}

TEST_F(Program, OutputThatCannotBeWrittenIsSaidAndEndsWithStatusOne) {
    struct Case {
        std::vector<std::string> option;
        std::string line;
    };
    // Output paths are taken as absolute ones from the start.
    const std::string missing = scene.Path("missing");
    const Case cases[] = {
        {{"--screenshot", "missing/shot.png"},
         "wobble: cannot write the screenshot " + missing +
             "/shot.png: No such file or directory\n"},
        {{"--dump", "missing/state.txt"},
         "wobble: cannot write the state file " + missing +
             "/state.txt: No such file or directory\n"},
        {{"--record", "missing/frames"},
         "wobble: cannot create the recording folder " + missing +
             "/frames: No such file or directory\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--headless", "--frames", "2"};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const ProcessResult r = RunWobble(args, scene.path());
        EXPECT_EQ(r.exitCode, 1) << c.option[0];
        EXPECT_EQ(r.err, c.line);
    }
}

TEST_F(Program, AWindowWithoutADisplayIsRefusedRatherThanRunUnseen) {
    const ProcessResult r = RunWobble({"--frames", "5"}, scene.path(),
                                      {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ERROR: Window Creation Error.\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no display to open the window on"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");  // nothing was loaded
}

TEST_F(Program, SceneFolderArgumentWorksFromElsewhere) {
    ScratchDir elsewhere;
    const ProcessResult r = RunWobble(
        {scene.path(), "--headless", "--frames", "3", "--dump", "d.txt"}, elsewhere.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Relative output paths still mean the folder the program was started in.
    EXPECT_EQ(ReadDump(elsewhere.Path("d.txt")).frame, "frame 3");
}

// Where two state files part: the first line that differs, from the first
// character that differs, cut short.
std::string FirstDifference(const std::string& got, const std::string& want) {
    const size_t at =
        std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
    const size_t lineStart = got.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    const long line = std::count(got.begin(), got.begin() + from, '\n') + 1;
    return "line " + std::to_string(line) + ": got \"" + got.substr(from, 80) + "...\", want \"" +
           want.substr(from, 80) + "...\"";
}

// The sample scene after a short replay that uses every part of the step:
// thrust, both turns, the mouse, the pump and the splash. The whole state is
// checked in (tests/data/sample-40-frames.dump) and must come back exactly, so
// a change to any constant or any order of operations shows here. When a
// change of the simulation is meant, write the file again (from the top folder)
//   build/wobble assets --headless --frames 40 --replay
//   tests/data/sample-40-frames.replay --dump tests/data/sample-40-frames.dump
// as one command, and put the hash the failure shows below.
TEST(GoldenState, SampleSceneAfterFortyFramesIsTheCheckedInDump) {
    constexpr uint64_t kGoldenHash = 0x8d7cbc0833cec63au;
    const std::string data = WOBBLE_TEST_DATA_DIR;
    ScratchDir out;
    const ProcessResult r =
        RunWobble({WOBBLE_SOURCE_DIR "/assets", "--headless", "--frames", "40", "--replay",
                   data + "/sample-40-frames.replay", "--dump", "state.txt"},
                  out.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string got = ReadWholeFile(out.Path("state.txt"));
    const std::string want = ReadWholeFile(data + "/sample-40-frames.dump");
    ASSERT_FALSE(want.empty());
    // FNV-1a over all bytes: a 64-bit name for the whole file, short
    // enough for a failure message.
    Fnv1a hash;
    hash.Add(got.data(), got.size());
    EXPECT_EQ(hash.value(), kGoldenHash) << std::hex << "0x" << hash.value();
    EXPECT_TRUE(got == want) << FirstDifference(got, want);
}

// WebAssembly under Node steps the sample scene to the desktop's bits: the
// golden replay, a grab pulled up and let go, and a poke of the water.
TEST(GoldenState, NodeGivesTheDesktopsBitsOnTheSampleScene) {
    if (!NodeBuildPresent())
        GTEST_SKIP() << "no WebAssembly build: `make web` builds build-web/wobble-node.js "
                        "(and node must be installed)";
    std::string grab = "10 cursor 400 300\n10 button left down\n";
    for (int frame = 11; frame <= 40; ++frame)
        grab += std::to_string(frame) + " cursor 400 " + std::to_string(460 - 4 * frame) + "\n";
    const std::vector<std::string> replays = {
        ReadWholeFile(WOBBLE_TEST_DATA_DIR "/sample-40-frames.replay"),
        grab + "100 button left up\n",
        "10 cursor 200 450\n10 button left down\n11 button left up\n",
    };
    for (const std::string& replay : replays) {
        ScratchDir out;
        out.Write("replay.txt", replay);
        std::vector<std::string> args = {WOBBLE_SOURCE_DIR "/assets",
                                         "--headless",
                                         "--frames",
                                         "120",
                                         "--replay",
                                         "replay.txt",
                                         "--dump",
                                         "desktop.txt"};
        ASSERT_EQ(RunWobble(args, out.path()).exitCode, 0);
        args.back() = "node.txt";
        const ProcessResult n = RunWobbleNode(args, out.path());
        ASSERT_EQ(n.exitCode, 0) << n.err;
        SCOPED_TRACE(replay.substr(0, 40));
        ExpectSameDump(ReadDump(out.Path("node.txt")), ReadDump(out.Path("desktop.txt")));
    }
}

}  // namespace
}  // namespace wobble::test
