#pragma once
// The program's one top-level object: the window, the camera, the mouse, the
// scene, and the main loop that alternates between handling one waiting
// event and running one whole frame:
//
//   while not quit:
//       an event waits?  -> handle it: keys into the key table, key-downs and
//                           window events on to WindowProc (key-ups go no further)
//       otherwise        -> one frame:
//                             controls   keys -> intents -> thrust, camera, view...
//                                        the panel's widgets, if shown
//                                        left button -> grab, pull, poke
//                                        mouse -> camera turn and tilt
//                             camera     the view, from the body frame of the
//                                        previous step
//                             step       scene.Step(): body, water giving way, waves
//                             draw       DrawFrame, the pull, the panel, captures
//                             swap
//
// There is no clock: the simulation advances one step per drawn frame.
//
// A file dropped on the window (or a replayed drop) replaces the scene: a
// scene folder at once, a model once its scene is built beside the running
// one (app/SceneBuild.h), the build's progress shown in a panel at the
// bottom. What cannot be run leaves the running scene as it is and says why.

#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "app/Panel.h"
#include "app/PreloadedScene.h"
#include "app/Replay.h"
#include "app/ReplayMouse.h"
#include "app/SceneBuild.h"
#include "app/StatusPanel.h"
#include "app/VideoCapture.h"
#include "app/Window.h"
#include "camera/Camera.h"
#include "controls/MouseHands.h"
#include "input/InputEvent.h"
#include "input/KeyBindings.h"
#include "input/KeyTable.h"
#include "input/MouseInput.h"
#include "input/Pointer.h"
#include "render/DisplaySettings.h"
#include "render/FrameRenderer.h"
#include "render/Screenshot.h"
#include "scene/Scene.h"

namespace wobble {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitStartupFailed = 1;
// A file asked for on the command line (--screenshot, --dump, --record)
// could not be written: the run is not a success, whatever it showed.
constexpr int kExitOutputFailed = 1;
constexpr int kExitBadCommandLine = 2;

class Application {
public:
    // `window` is the platform's window, not yet created.
    Application(int width, int height, int bits, std::unique_ptr<Window> window,
                const AppOptions& options = AppOptions());
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Input events to replay, read from a file before start-up.
    void SetReplay(Replay replay);

    // Window and context, fixed GL state, mouse, camera, scene. False when the
    // window or context cannot be made or the scene cannot be simulated; the
    // reason has been shown by then.
    bool Initialize();
    // The main loop; returns the exit status once it has ended.
    int Run();
    // One turn of the main loop: handles one waiting event or, when none
    // waits, runs one frame. False once the loop is over.
    bool RunTurn();

    bool CreateRenderWindow();
    void Shutdown();
    void WindowProc(const InputEvent& event);
    void ToggleFullscreen();

    void SetupGLState() { wobble::SetupGLState(display); }
    // Light, then the scene from config.txt (body, surface binding, water),
    // and the camera's link to the body. The scene is the one Initialize
    // started loading, or, called on its own, loaded here.
    void BuildScene();
    // Reads the key bindings and acts on what they ask, in their order.
    void HandleKeys();
    // Draws over the scene as it now stands: the pull, the panel.
    void DrawFrame();
    // Puts the scene and the camera back to their state right after start-up.
    void ResetScene();
    // A file or folder dropped: a scene folder (or its config.txt) is loaded
    // at once, a model's scene is built beside the running scene; `wait`
    // waits for the build, so that a replayed drop acts before the next frame.
    void HandleDrop(const std::string& path, bool wait);
    // Frames a refusal stays on screen: five seconds at 60 frames a second.
    static constexpr int kProblemFrames = 300;

    bool quit = false;
    InputEvent message;  // the event most recently fetched by the main loop
    Camera camera;
    MouseInput mouse;
    float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // light 0; set by BuildScene
    bool surfaceView = true;                            // dressed surface (true) or tetra wireframe

    DisplaySettings display;
    FullscreenMode fullscreenMode;
    KeyTable keys;
    std::unique_ptr<Scene> scene;  // the body and the water; made by BuildScene

    // Beyond the plain demo: pause and single steps, the panel, timings,
    // the mouse's hands.
    bool paused = false;
    bool stepOnce = false;
    Panel panel;
    FrameTimings timings;
    Pointer pointer;
    MouseHands hands;
    long long framesRun = 0;

private:
    bool FetchEvent(InputEvent& event);
    // --frames N: the loop ends once frame N has run.
    bool FrameLimitReached() const;
    void RunOneFrame();
    void CaptureFrame();
    void RecordFrame();
    // Writes the files asked for at the end; false when one could not be written.
    bool FinishRun();
    // Drops: a build's progress, its scene swapped in, or why not.
    void PollBuild();
    void TakeBuiltScene();
    bool SwapInScene(const std::string& folder, std::string& problem);
    void ShowProblem(const std::string& problem, const std::string& subject);
    void ShowBuildProgress();
    void PrepareFullscreenMode();
    // The application's own intents (view, pause, reset...), from the keys or the panel.
    void ActOnIntents(const KeyIntents& asked);
    // The left button: presses grab or poke, the held button pulls.
    void UseHands();
    // A place of the window in the viewport's pixels.
    float ViewportX(int windowX) const;
    float ViewportY(int windowY) const;

    AppOptions options_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<PreloadedScene> preloaded_;  // the scene loading during Initialize
    bool windowOpen_ = false;
    std::unique_ptr<ReplayMouse> replayMouse_;
    Replay replay_;
    std::deque<InputEvent> injected_;  // events waiting in the queue ahead of the system's
    long long injectedForFrame_ = 0;   // latest frame whose replayed events were queued
    bool fullscreenModePrepared_ = false;
    Camera startCamera_;
    CameraView drawnView_;  // the view the latest frame was drawn from
    bool viewDrawn_ = false;
    bool screenshotRequested_ = false;
    bool recordDirReady_ = false;
    bool lastFrameCaptured_ = false;
    bool recordingFailed_ = false;
    Image lastFrame_;
    VideoCapture video_;  // --record FILE.mp4 and F9
    std::chrono::steady_clock::time_point lastFrameStart_;
    bool eventInjected_ = false;  // the latest event came from the queue (a replay), not the window
    SceneBuild build_;            // the scene of a dropped model, in the making
    bool buildWaited_ = false;    // its drop was replayed: the frames wait for it
    StatusPanel statusPanel_;     // what the panel at the bottom shows
    int shownPercent_ = -1;       // of the build, as the panel shows it
    int problemFramesLeft_ = 0;
};

}  // namespace wobble
