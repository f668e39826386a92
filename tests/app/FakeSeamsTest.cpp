// The application's loop run through its seams with no window system, no GL
// and no Dear ImGui: a window that makes nothing, a drawing that draws
// nothing and a panel whose buttons are scripted. What a second platform
// would plug in, the loop must run the same with.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestFiles.h"
#include "app/Application.h"
#include "app/HeadlessSeams.h"
#include "input/KeyTable.h"

namespace wobble {
namespace {

// The headless seams, counting what the loop asks of them.
class FakeWindow : public HeadlessWindow {
public:
    void SwapBuffers() override { ++swaps; }
    void SetFullscreen(bool fullscreen, const FullscreenMode&) override {
        fullscreenNow = fullscreen;
    }

    int swaps = 0;
    bool fullscreenNow = false;
};

class FakeDrawing : public NoDrawing {
public:
    void Setup(const DisplaySettings&) override { ++setups; }
    double DrawScene(const Scene&, const CameraView&, bool surfaceView, SurfaceRefresh) override {
        ++scenesDrawn;
        lastSurfaceView = surfaceView;
        return 0.0;
    }

    int setups = 0;
    int scenesDrawn = 0;
    bool lastSurfaceView = true;
};

// Its buttons ask, in frame N of the loop, for what `asks` holds for N.
class FakePanel : public NoPanel {
public:
    void ToggleFull(Window&) override { full = !full; }
    KeyIntents Build(Window&, const Pointer&, Scene&, const PanelState&,
                     const DisplaySettings&) override {
        ++built;
        return built == askInFrame ? asks : KeyIntents();
    }

    bool full = false;
    int built = 0;
    int askInFrame = 0;
    KeyIntents asks;
};

struct FakeRun {
    FakeWindow* window = nullptr;
    FakeDrawing* drawing = nullptr;
    FakePanel* panel = nullptr;
    std::unique_ptr<Application> app;

    explicit FakeRun(const AppOptions& options) {
        auto w = std::make_unique<FakeWindow>();
        auto d = std::make_unique<FakeDrawing>();
        auto p = std::make_unique<FakePanel>();
        window = w.get();
        drawing = d.get();
        panel = p.get();
        app = std::make_unique<Application>(
            800, 600, 32, Seams{std::move(w), std::move(d), std::move(p)}, options);
    }
};

AppOptions SampleScene(long long frames) {
    AppOptions options;
    options.headless = true;
    options.sceneDir = WOBBLE_SOURCE_DIR "/assets";
    options.frames = frames;
    return options;
}

TEST(FakeSeams, AReplayGivesTheDumpOfTheRealProgram) {
    test::ScratchDir out;
    AppOptions options = SampleScene(40);
    options.dumpFile = out.Path("state.txt");
    FakeRun run(options);
    Replay replay;
    ASSERT_TRUE(replay.Load(WOBBLE_TEST_DATA_DIR "/sample-40-frames.replay").ok());
    run.app->SetReplay(std::move(replay));
    int status = -1;
    test::CaptureStdout([&] {
        ASSERT_TRUE(run.app->Initialize());
        status = run.app->Run();
    });
    EXPECT_EQ(status, kExitOk);
    EXPECT_EQ(run.drawing->setups, 1);
    EXPECT_EQ(run.drawing->scenesDrawn, 40);
    EXPECT_EQ(run.window->swaps, 40);
    // The dump the program itself writes for this replay, checked in.
    const std::string want = test::ReadWholeFile(WOBBLE_TEST_DATA_DIR "/sample-40-frames.dump");
    ASSERT_FALSE(want.empty());
    EXPECT_TRUE(test::ReadWholeFile(out.Path("state.txt")) == want);
}

// The dump a replay file gives on the sample scene, with no window system.
std::string DumpOfReplay(const std::string& replayFile, long long frames) {
    test::ScratchDir out;
    AppOptions options = SampleScene(frames);
    options.dumpFile = out.Path("state.txt");
    FakeRun run(options);
    Replay replay;
    EXPECT_TRUE(replay.Load(replayFile).ok());
    run.app->SetReplay(std::move(replay));
    test::CaptureStdout([&] {
        EXPECT_TRUE(run.app->Initialize());
        EXPECT_EQ(run.app->Run(), kExitOk);
    });
    return test::ReadWholeFile(out.Path("state.txt"));
}

// A pad stands for keys and the mouse: its stick past the dead zone holds
// the arrow, below it releases it, the D-pad and the stick share the arrows,
// its buttons are their keys, and a full right stick turns and lifts the
// camera as six counts of the mouse a frame do.
TEST(FakeSeams, APadReplayGivesTheDumpOfTheEquivalentKeysAndMouse) {
    test::ScratchDir dir;
    const std::string pad = dir.Write("pad.txt",
                                      "1 pad axis lefty -0.8\n"
                                      "20 pad axis leftx -1\n"
                                      "30 pad button dpleft down\n"
                                      "35 pad axis leftx 0.2\n"
                                      "40 pad button dpleft up\n"
                                      "50 pad axis lefty 0.25\n"
                                      "55 pad axis lefty 0.3\n"
                                      "60 pad axis lefty 0\n"
                                      "61 pad button x down\n"
                                      "64 pad button x up\n"
                                      "65 pad button y down\n"
                                      "75 pad button y up\n"
                                      "76 pad axis rightx 1\n"
                                      "76 pad axis righty -1\n"
                                      "79 pad axis rightx 0.25\n"
                                      "79 pad axis righty 0\n"
                                      "80 pad button a down\n"
                                      "82 pad button a up\n"
                                      "83 pad button b down\n"
                                      "84 pad button b up\n");
    std::string mouse;
    for (int frame = 76; frame <= 78; ++frame)
        mouse += std::to_string(frame) + " mouse 6 -6\n";
    const std::string keys = dir.Write("keys.txt",
                                       "1 down Up\n"
                                       "20 down Left\n"
                                       "40 up Left\n"
                                       "50 up Up\n"
                                       "55 down Down\n"
                                       "60 up Down\n"
                                       "61 down M\n"
                                       "64 up M\n"
                                       "65 down C\n"
                                       "75 up C\n" +
                                           mouse +
                                           "80 down Z\n"
                                           "82 up Z\n"
                                           "83 down B\n"
                                           "84 up B\n");
    const std::string byPad = DumpOfReplay(pad, 90);
    ASSERT_FALSE(byPad.empty());
    EXPECT_TRUE(byPad == DumpOfReplay(keys, 90));
    EXPECT_FALSE(byPad == DumpOfReplay(dir.Write("none.txt", ""), 90)) << "the pad did something";
}

// The panel's buttons ask for what keys ask for, and every such intent acts,
// joined with the keys' in the next frame: the simulation's own (pump), the
// view, and those only the loop can carry out (fullscreen, quit).
TEST(FakeSeams, ThePanelsIntentsActLikeTheKeys) {
    FakeRun run(SampleScene(10));
    test::CaptureStdout([&] { ASSERT_TRUE(run.app->Initialize()); });
    run.panel->askInFrame = 2;
    run.panel->asks.pump = true;
    run.panel->asks.toggleView = true;
    run.panel->asks.toggleFullscreen = true;
    run.panel->asks.togglePanel = true;
    const float rest = run.app->scene().body.springs.restLength[0];
    while (run.app->framesRun() < 3)
        ASSERT_TRUE(run.app->RunTurn());
    EXPECT_GT(run.app->scene().body.springs.restLength[0], rest) << "pumped";
    EXPECT_FALSE(run.drawing->lastSurfaceView);
    EXPECT_TRUE(run.window->fullscreenNow);
    EXPECT_TRUE(run.panel->full);

    // A toggle asked by a key and a button in the same frame acts once.
    run.panel->askInFrame = 4;
    run.panel->asks = KeyIntents();
    run.panel->asks.toggleView = true;
    while (run.app->framesRun() < 4)
        ASSERT_TRUE(run.app->RunTurn());
    run.app->keys().Press(vk::Letter('M'));
    while (run.app->framesRun() < 5)
        ASSERT_TRUE(run.app->RunTurn());
    EXPECT_TRUE(run.drawing->lastSurfaceView);

    run.panel->askInFrame = 6;
    run.panel->asks = KeyIntents();
    run.panel->asks.quit = true;
    while (run.app->RunTurn()) {
    }
    EXPECT_EQ(run.app->framesRun(), 7) << "the quit asked in frame 6 ends the loop after frame 7";
}

}  // namespace
}  // namespace wobble
