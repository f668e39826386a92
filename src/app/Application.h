#pragma once
// The program's one top-level object: the main loop, which alternates between
// handling one waiting event and running one whole frame:
//
//   while not quit:
//       an event waits?  -> handle it: keys into the key table, key-downs and
//                           window events on to WindowProc (key-ups go no further)
//       otherwise        -> one frame:
//                             drops      a dropped model's build, its scene swapped in
//                             controls   keys, the gamepad and the panel's buttons ->
//                                        one set of intents -> thrust, camera, view,
//                                        pause...
//                                        left button -> grab, pull, poke
//                                        mouse, right stick -> camera turn and tilt
//                             camera     the view, from the body frame of the
//                                        previous step
//                             step       scene.Step(): body, water giving way, waves
//                             draw       the drawing, the panel, the frame's outputs
//                             swap
//
// There is no clock: the simulation advances one step per drawn frame.
//
// The application owns the loop and the state it steps; the rest is handed
// to its seams, which a platform implements: the window (app/Window.h), the
// drawing (app/Drawing.h) and the panel (app/ControlPanel.h). What a run
// writes goes to FrameOutputs, what is dropped on the window to SceneDrops.

#include <chrono>
#include <memory>

#include "app/AppOptions.h"
#include "app/ControlPanel.h"
#include "app/Drawing.h"
#include "app/EventQueue.h"
#include "app/FrameOutputs.h"
#include "app/PreloadedScene.h"
#include "app/Replay.h"
#include "app/ReplayMouse.h"
#include "app/SceneDrops.h"
#include "app/Window.h"
#include "app/WindowHands.h"
#include "camera/Camera.h"
#include "input/Gamepad.h"
#include "input/InputEvent.h"
#include "input/KeyBindings.h"
#include "input/KeyTable.h"
#include "input/MouseInput.h"
#include "render/DisplaySettings.h"
#include "scene/Scene.h"

namespace wobble {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitStartupFailed = 1;
// A file asked for on the command line (--screenshot, --dump, --record)
// could not be written: the run is not a success, whatever it showed.
constexpr int kExitOutputFailed = 1;
constexpr int kExitBadCommandLine = 2;

// The platform's implementations of the application's seams.
struct Seams {
    std::unique_ptr<Window> window;    // not yet created
    std::unique_ptr<Drawing> drawing;  // draws in the window's context
    std::unique_ptr<ControlPanel> panel;
};

class Application {
public:
    // The desktop's drawing (OpenGL) and panel (Dear ImGui) in `window`.
    Application(int width, int height, int bits, std::unique_ptr<Window> window,
                const AppOptions& options = AppOptions());
    Application(int width, int height, int bits, Seams seams,
                const AppOptions& options = AppOptions());
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Input events to replay, read from a file before start-up.
    void SetReplay(Replay replay);

    // Window and context, fixed drawing state, mouse, camera, scene. False
    // when the window or context cannot be made or the scene cannot be
    // simulated; the reason has been shown by then.
    bool Initialize();
    // The main loop; returns the exit status once it has ended.
    int Run();
    // One turn of the main loop: handles one waiting event or, when none
    // waits, runs one frame. False once the loop is over.
    bool RunTurn();
    // Reads the key bindings, joins them with what the panel's buttons asked
    // for, and acts on them, in their order.
    void HandleKeys();
    // A file or folder dropped (see SceneDrops); `wait` waits for a model's
    // build, so that a replayed drop acts before the next frame.
    void HandleDrop(const std::string& path, bool wait);

    // What the loop holds, for the program's tests and benchmarks.
    Scene& scene() { return *scene_; }
    const Camera& camera() const { return camera_; }
    const DisplaySettings& display() const { return display_; }
    const FullscreenMode& fullscreenMode() const { return fullscreenMode_; }
    KeyTable& keys() { return keys_; }
    const GamepadList& gamepads() const { return pads_; }
    long long framesRun() const { return framesRun_; }
    bool surfaceView() const { return surfaceView_; }
    const FrameTimings& timings() const { return timings_; }

private:
    bool CreateRenderWindow();
    void Shutdown();
    void WindowProc(const InputEvent& event);
    void ToggleFullscreen();
    void PrepareFullscreenMode();
    // The scene Initialize started loading, or, without one, loaded here.
    void BuildScene();
    void ResetScene();
    // --frames N: the loop ends once frame N has run.
    bool FrameLimitReached() const;
    void RunOneFrame();
    // A dropped model's build goes on beside the frames; once done, its scene
    // takes over.
    void PollDrops();
    // Writes the files asked for at the end; false when one could not be written.
    bool FinishRun();
    // Every intent of the frame, from whichever source asked.
    void ActOnIntents(const KeyIntents& asked);
    // A gamepad's event: attached, gone, a button or an axis of the one
    // steering (or replayed).
    void HandlePad(const InputEvent& event);

    AppOptions options_;
    DisplaySettings display_;
    FullscreenMode fullscreenMode_;
    bool fullscreenModePrepared_ = false;
    std::unique_ptr<Window> window_;
    std::unique_ptr<Drawing> drawing_;
    std::unique_ptr<ControlPanel> panel_;
    bool windowOpen_ = false;
    std::unique_ptr<PreloadedScene> preloaded_;  // the scene loading during Initialize
    std::unique_ptr<Scene> scene_;               // the body and the water; made by BuildScene
    Camera camera_;
    Camera startCamera_;
    MouseInput mouse_;
    std::unique_ptr<ReplayMouse> replayMouse_;
    KeyTable keys_;
    GamepadList pads_;
    Gamepad pad_;       // the steering pad's buttons and sticks
    KeyTable padKeys_;  // the keys the pad holds down, read as the keyboard's
    WindowHands hands_;
    KeyIntents panelAsked_;  // the panel's buttons of the latest frame, acted on in the next

    bool quit_ = false;
    bool surfaceView_ = true;  // dressed surface (true) or tetra wireframe
    bool paused_ = false;
    bool stepOnce_ = false;
    long long framesRun_ = 0;
    FrameTimings timings_;
    std::chrono::steady_clock::time_point lastFrameStart_;
    CameraView drawnView_;  // the view the latest frame was drawn from
    bool viewDrawn_ = false;

    EventQueue events_;

    FrameOutputs outputs_;
    SceneDrops drops_;
};

}  // namespace wobble
