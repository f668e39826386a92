#pragma once
// The program's one top-level object: the window and its GL context, the
// camera, the mouse, the scene, and the main loop that alternates between
// handling one waiting event and running one whole frame:
//
//   while not quit:
//       an event waits?  -> handle it: keys into the key table, key-downs and
//                           window events on to WindowProc (key-ups go no further)
//       otherwise        -> HandleKeys, mouse, camera turn and tilt, DrawFrame, swap
//
// There is no clock: the simulation advances one step per drawn frame.

#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "app/Replay.h"
#include "app/SceneSnapshot.h"
#include "app/VideoCapture.h"
#include "app/platform/Events.h"
#include "camera/Camera.h"
#include "input/KeyBindings.h"
#include "input/KeyTable.h"
#include "input/MouseInput.h"
#include "render/DisplaySettings.h"
#include "render/FrameRenderer.h"
#include "render/Overlay.h"
#include "render/Screenshot.h"
#include "softbody/SoftBody.h"
#include "water/WaterSurface.h"

struct SDL_Window;

namespace wobble {

class ReplayMouse;
class MouseDevice;

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitStartupFailed = 1;
constexpr int kExitBadCommandLine = 2;

// The display mode the fullscreen toggle switches to, prepared on the first
// evaluation of the key bindings.
struct FullscreenMode {
    int width = 0;
    int height = 0;
    int bits = 0;
};

class Application {
public:
    Application(int width, int height, int bits, const AppOptions& options = AppOptions());
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

    // Window, context, events and display mode (src/app/platform/ApplicationWindow.cpp).
    bool CreateRenderWindow();
    void Shutdown();
    void WindowProc(const InputEvent& event);
    void ToggleFullscreen();

    void SetupGLState() { wobble::SetupGLState(display); }
    // Light, body from config.txt, surface binding, camera link, water.
    void BuildScene();
    void HandleKeys();
    void DrawFrame();
    // Puts the scene back to its state right after start-up.
    void ResetScene();

    bool quit = false;
    SDL_Window* window = nullptr;   // the one window
    void* renderContext = nullptr;  // its OpenGL context
    InputEvent message;             // the event most recently fetched by the main loop
    Camera camera;
    MouseInput mouse;
    float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // light 0; set by BuildScene
    bool surfaceView = true;                            // dressed surface (true) or tetra wireframe

    DisplaySettings display;
    FullscreenMode fullscreenMode;
    KeyTable keys;
    std::unique_ptr<SoftBody> body;       // the program's one soft body
    std::unique_ptr<WaterSurface> water;  // the program's one water surface

    // Beyond the plain demo: pause and single steps, the overlay, timings.
    bool paused = false;
    bool stepOnce = false;
    Overlay overlay;
    FrameTimings timings;
    long long framesRun = 0;

private:
    bool FetchEvent(InputEvent& event);
    bool SceneIsUsable();
    // --frames N: the loop ends once frame N has run.
    bool FrameLimitReached() const;
    void RunOneFrame();
    void RecordFrame();
    void FinishRun();
    void PrepareFullscreenMode();

    // Platform parts (src/app/platform/ApplicationWindow.cpp).
    bool FetchSystemEvent(InputEvent& event);
    void SwapWindowBuffers();
    MouseDevice* SystemMouse();
    Image ReadFrontBuffer();
    void ShowMessage(const char* caption, const char* text, bool error);

    AppOptions options_;
    BindingTargets bindings_;
    std::unique_ptr<MouseDevice> systemMouse_;  // the window's mouse (an SdlMouse)
    std::unique_ptr<ReplayMouse> replayMouse_;
    Replay replay_;
    std::deque<InputEvent> injected_;  // events waiting in the queue ahead of the system's
    long long injectedForFrame_ = 0;   // latest frame whose replayed events were queued
    bool fullscreenModePrepared_ = false;
    bool videoStarted_ = false;
    bool configLoaded_ = false;
    int inputErrorsBeforeScene_ = 0;
    SceneSnapshot startState_;
    bool screenshotRequested_ = false;
    bool recordDirReady_ = false;
    bool lastFrameCaptured_ = false;
    Image lastFrame_;
    VideoCapture video_;  // --record FILE.mp4 and F9
    std::chrono::steady_clock::time_point lastFrameStart_;
};

}  // namespace wobble
