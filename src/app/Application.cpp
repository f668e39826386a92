#include "app/Application.h"

#include <cstdio>

#include "controls/Controls.h"

namespace wobble {

namespace {

DisplaySettings Display(int width, int height, int bits) {
    DisplaySettings display;
    display.width = width;
    display.height = height;
    display.bits = bits;
    return display;
}

}  // namespace

Application::Application(int width, int height, int bits, Seams seams, const AppOptions& options)
    : options_(options),
      display_(Display(width, height, bits)),
      window_(std::move(seams.window)),
      drawing_(std::move(seams.drawing)),
      panel_(std::move(seams.panel)),
      outputs_(options, *drawing_, display_),
      drops_(display_, options.rebuild) {}

Application::~Application() {
    Shutdown();
}

void Application::SetReplay(Replay replay) {
    events_.SetReplay(std::move(replay));
}

bool Application::Initialize() {
    // The scene's files are read while the window and its context are made;
    // the loaders' lines still come after the window's (app/PreloadedScene.h).
    if (kPreloadWhileWindowIsMade)
        preloaded_ = std::make_unique<PreloadedScene>(options_.sceneDir);
    if (!CreateRenderWindow()) {
        preloaded_.reset();
        return false;
    }
    if (!kPreloadWhileWindowIsMade)
        preloaded_ = std::make_unique<PreloadedScene>(options_.sceneDir);
    drawing_->Setup(display_);
    replayMouse_ = std::make_unique<ReplayMouse>(window_->Mouse());
    mouse_.SetWindow(replayMouse_.get());
    mouse_.Initialize();
    camera_.Reset();
    BuildScene();
    if (!scene_->IsSimulated()) {
        // The scene's loaders have said why.
        Shutdown();
        return false;
    }
    startCamera_ = camera_;
    return true;
}

bool Application::CreateRenderWindow() {
    windowOpen_ = window_->Create(display_);
    return windowOpen_;
}

void Application::Shutdown() {
    if (!windowOpen_)
        return;
    panel_->Stop();
    window_->Release();
    windowOpen_ = false;
    display_.fullscreen = false;
}

void Application::WindowProc(const InputEvent& event) {
    // The close request is the quit message: the main loop fetches it in a
    // later turn and ends. A resize keeps the viewport and projection.
    if (event.type == EventType::CloseRequest)
        events_.Push(InputEvent{EventType::Quit});
}

void Application::PrepareFullscreenMode() {
    fullscreenMode_.width = display_.width;
    fullscreenMode_.height = display_.height;
    fullscreenMode_.bits = display_.bits;
    fullscreenModePrepared_ = true;
}

void Application::ToggleFullscreen() {
    display_.fullscreen = !display_.fullscreen;
    if (windowOpen_)
        window_->SetFullscreen(display_.fullscreen, fullscreenMode_);
}

void Application::BuildScene() {
    if (preloaded_ != nullptr) {
        // The driver prepares the first frame's drawing while the main
        // thread would only wait for the scene.
        if (!preloaded_->Ready())
            drawing_->Prepare();
        scene_ = preloaded_->Take();
        preloaded_.reset();
    } else {
        scene_ = std::make_unique<Scene>();
        // Its result is the scene's IsSimulated(); the loaders print why not.
        (void)scene_->Load(options_.sceneDir);
    }
}

void Application::HandleKeys() {
    if (!fullscreenModePrepared_)
        PrepareFullscreenMode();
    const KeyIntents devices = MergeIntents(ReadKeyBindings(keys_), ReadKeyBindings(padKeys_));
    ActOnIntents(MergeIntents(devices, panelAsked_));
    panelAsked_ = KeyIntents();
}

void Application::ActOnIntents(const KeyIntents& asked) {
    // While paused the simulation's own intents (thrust, splash, pump) do nothing.
    const bool simulating = !paused_;
    if (asked.toggleFullscreen)
        ToggleFullscreen();
    if (asked.quit)
        quit_ = true;
    ApplyControls(asked, simulating, *scene_, camera_);
    if (asked.toggleView)
        surfaceView_ = !surfaceView_;
    if (asked.togglePause)
        paused_ = !paused_;
    if (asked.stepOnce && !simulating)
        stepOnce_ = true;
    if (asked.reset)
        ResetScene();
    if (asked.screenshot)
        outputs_.RequestScreenshot();
    if (asked.toggleOverlay)
        panel_->ToggleCompact(*window_);
    if (asked.toggleRecording)
        outputs_.ToggleRecording();
    if (asked.togglePanel)
        panel_->ToggleFull(*window_);
}

void Application::HandlePad(const InputEvent& event) {
    switch (event.type) {
        case EventType::PadAttached:
            if (pads_.Attach(event.pad, event.name)) {
                std::printf("wobble: gamepad \"%s\" connected\n", event.name.c_str());
                std::fflush(stdout);
            }
            return;
        case EventType::PadDetached:
            if (const char* name = pads_.NameOf(event.pad)) {
                std::printf("wobble: gamepad \"%s\" disconnected\n", name);
                std::fflush(stdout);
            }
            // Its keys go up; the next pad attached, if any, steers from now on.
            if (pads_.Detach(event.pad))
                pad_.Release(padKeys_);
            return;
        default:
            break;
    }
    if (event.pad != kReplayedPad && !pads_.Steers(event.pad))
        return;
    if (event.type == EventType::PadAxisMoved)
        pad_.SetAxis(event.control, event.value, padKeys_);
    else
        pad_.SetButton(event.control, event.type == EventType::PadButtonDown, padKeys_);
}

void Application::ResetScene() {
    hands_.Release(*scene_);
    scene_->Reset();
    camera_ = startCamera_;
}

void Application::HandleDrop(const std::string& path, bool wait) {
    drops_.Drop(path, wait);
    if (std::unique_ptr<Scene> next = drops_.TakeScene())
        scene_ = std::move(next);
}

void Application::PollDrops() {
    drops_.Poll();
    if (std::unique_ptr<Scene> next = drops_.TakeScene())
        scene_ = std::move(next);
}

int Application::Run() {
    while (RunTurn()) {
    }
    return FinishRun() ? kExitOk : kExitOutputFailed;
}

bool Application::RunTurn() {
    if (quit_ || FrameLimitReached())
        return false;
    InputEvent event;
    if (!events_.Next(windowOpen_ ? window_.get() : nullptr, framesRun_ + 1, event)) {
        RunOneFrame();
        return true;
    }
    switch (event.type) {
        case EventType::Quit:
            quit_ = true;
            break;
        case EventType::KeyDown:
            keys_.Press(event.virtualKey);
            WindowProc(event);
            break;
        case EventType::KeyUp:
            // Key-ups are recorded and go no further.
            keys_.Release(event.virtualKey);
            break;
        case EventType::MouseCounts:
            replayMouse_->AddCounts(event.dx, event.dy);
            break;
        case EventType::CursorMoved:
        case EventType::ButtonDown:
        case EventType::ButtonUp:
            hands_.Handle(event);
            break;
        case EventType::Drop:
            HandleDrop(event.path, events_.LatestQueued());
            break;
        case EventType::PadAttached:
        case EventType::PadDetached:
        case EventType::PadButtonDown:
        case EventType::PadButtonUp:
        case EventType::PadAxisMoved:
            HandlePad(event);
            break;
        default:
            WindowProc(event);
            break;
    }
    return true;
}

bool Application::FrameLimitReached() const {
    return options_.frames >= 0 && framesRun_ >= options_.frames;
}

void Application::RunOneFrame() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    if (lastFrameStart_ != Clock::time_point())
        panel_->RecordFrame(
            std::chrono::duration<double, std::milli>(start - lastFrameStart_).count(), timings_);
    lastFrameStart_ = start;

    PollDrops();
    // Controls: keys, the pad and the panel's buttons, the hands, the mouse.
    HandleKeys();
    mouse_.Update();
    // The right stick turns as the mouse does; a centred stick adds nothing,
    // not even a zero.
    if (const float turn = pad_.CameraTurn(); turn != 0.0f)
        mouse_.dx += turn;
    if (const float tilt = pad_.CameraTilt(); tilt != 0.0f)
        mouse_.dy += tilt;
    PanelState shown;
    shown.cameraMode = camera_.mode;
    shown.surfaceView = surfaceView_;
    shown.paused = paused_;
    shown.recording = outputs_.IsRecording();
    shown.gamepad = pads_.SteeringName();
    // A drop being built or refused shows at the bottom; nothing otherwise.
    panel_->ShowStatus(*window_, drops_.status());
    panelAsked_ = panel_->Build(*window_, hands_.pointer(), *scene_, shown, display_);
    // The left button presses on the latest frame drawn.
    const BodyFrame frame = FrameOf(scene_->body);
    hands_.Use(*scene_, viewDrawn_ ? drawnView_ : camera_.View(frame), *window_, display_,
               panel_->TakesMouse(), surfaceView_, !paused_);
    // A held grab and the panel keep the mouse to themselves.
    if (hands_.Holding() || panel_->TakesMouse())
        mouse_.dx = mouse_.dy = 0.0f;
    camera_.Turn(mouse_.dx);
    camera_.Tilt(mouse_.dy);
    // The camera's view is taken before the step, so a following camera sees
    // the body frame of the previous step; a held grab holds the view.
    const CameraView view = hands_.Holding() ? hands_.HeldView() : camera_.View(frame);
    drawnView_ = view;
    viewDrawn_ = true;

    timings_.step = StepTimings();
    if (!paused_ || stepOnce_) {
        scene_->Step();
        timings_.step = scene_->timings;
    }
    stepOnce_ = false;
    // The surface is carried along only in frames that draw it; its
    // triangles are refreshed while the drawing goes on.
    SurfaceRefresh surface;
    if (surfaceView_) {
        surface = scene_->StartDeformSurface();
        timings_.step.surface = scene_->timings.surface;
    }
    timings_.drawing = drawing_->DrawScene(*scene_, view, surfaceView_, std::move(surface));
    panel_->Draw(*scene_);
    ++framesRun_;
    outputs_.Capture(framesRun_, quit_ || FrameLimitReached(), !window_->IsHeadless());
    // Where the hidden cursor points; after the captures, as a cursor is
    // never part of a screenshot.
    if (window_->CursorHidden())
        drawing_->DrawCrosshair(display_, hands_.ViewportX(*window_, display_),
                                hands_.ViewportY(*window_, display_));
    window_->SwapBuffers();
    timings_.frame = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Application::FinishRun() {
    DumpedState state;
    state.frame = framesRun_;
    state.scene = scene_.get();
    state.camera = &camera_;
    state.surfaceView = surfaceView_;
    const bool written = outputs_.Finish(state, !window_->IsHeadless());
    std::fflush(stdout);
    Shutdown();
    return written;
}

}  // namespace wobble
