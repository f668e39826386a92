#include "app/Application.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/StateDump.h"
#include "controls/Controls.h"
#include "input/KeyBindings.h"
#include "render/HandsDraw.h"
#include "scene/SceneMeasures.h"

namespace wobble {

namespace {

constexpr int kRecordProgressEvery = 100;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecked = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLeakChecked = true;
#else
constexpr bool kLeakChecked = false;
#endif
#else
constexpr bool kLeakChecked = false;
#endif

// False, with the reason on stderr, when the PNG cannot be written.
bool WriteScreenshot(const std::string& path, const Image& image) {
    std::string error;
    if (WritePng(path, image, &error))
        return true;
    std::fprintf(stderr, "wobble: cannot write the screenshot %s: %s\n", path.c_str(),
                 error.c_str());
    return false;
}

}  // namespace

Application::Application(int width, int height, int bits, std::unique_ptr<Window> window,
                         const AppOptions& options)
    : options_(options), window_(std::move(window)) {
    display.width = width;
    display.height = height;
    display.bits = bits;
    display.fullscreen = false;
    display.fieldOfView = 60.0f;
    display.nearPlane = 1.0f;
    display.farPlane = 2000.0f;
}

Application::~Application() {
    Shutdown();
}

void Application::SetReplay(Replay replay) {
    replay_ = std::move(replay);
}

bool Application::Initialize() {
    // The scene's files are read while the window and its context are made;
    // the loaders' lines still come after the window's (app/PreloadedScene.h).
    // Under the leak checker the reading starts once they are made: its
    // tracer crashes at exit if a thread ran while the GL driver was loaded.
    if (!kLeakChecked)
        preloaded_ = std::make_unique<PreloadedScene>(options_.sceneDir);
    if (!CreateRenderWindow()) {
        preloaded_.reset();
        return false;
    }
    if (kLeakChecked)
        preloaded_ = std::make_unique<PreloadedScene>(options_.sceneDir);
    SetupGLState();
    replayMouse_ = std::make_unique<ReplayMouse>(window_->Mouse());
    mouse.SetWindow(replayMouse_.get());
    mouse.Initialize();
    camera.Reset();
    BuildScene();
    if (!scene->IsSimulated()) {
        // The scene's loaders have said why.
        Shutdown();
        return false;
    }
    startCamera_ = camera;
    video_.RecordFromStart(options_.recordDir);
    return true;
}

bool Application::CreateRenderWindow() {
    windowOpen_ = window_->Create(display);
    return windowOpen_;
}

void Application::Shutdown() {
    if (!windowOpen_)
        return;
    panel.Stop();
    window_->Release();
    windowOpen_ = false;
    display.fullscreen = false;
}

void Application::WindowProc(const InputEvent& event) {
    switch (event.type) {
        case EventType::CloseRequest:
            // The quit message: the main loop fetches it in a later turn and ends.
            injected_.push_back(InputEvent{EventType::Quit});
            break;
        case EventType::Resized:
            // Viewport and projection stay as set at start-up.
            break;
        default:
            break;
    }
}

void Application::PrepareFullscreenMode() {
    fullscreenMode.width = display.width;
    fullscreenMode.height = display.height;
    fullscreenMode.bits = display.bits;
    fullscreenModePrepared_ = true;
}

void Application::ToggleFullscreen() {
    display.fullscreen = !display.fullscreen;
    if (windowOpen_)
        window_->SetFullscreen(display.fullscreen, fullscreenMode);
}

void Application::BuildScene() {
    const float light[4] = {-10.0f, 5.0f, 2.0f, 0.0f};  // w = 0: a directional light
    std::memcpy(lightPosition, light, sizeof light);
    SetupLight(lightPosition);

    if (preloaded_ != nullptr) {
        // The driver prepares the first frame's drawing while the main
        // thread would only wait for the scene.
        if (!preloaded_->Ready())
            PrepareDrawing();
        scene = preloaded_->Take();
        preloaded_.reset();
    } else {
        scene = std::make_unique<Scene>();
        // Its result is the scene's IsSimulated(); the loaders print why not.
        (void)scene->Load(options_.sceneDir);
    }
    camera.SetBody(&scene->body);
}

void Application::HandleKeys() {
    if (!fullscreenModePrepared_)
        PrepareFullscreenMode();
    const KeyIntents asked = ReadKeyBindings(keys);
    // While paused the simulation's own keys (thrust, splash, pump) do nothing.
    const bool simulating = !paused;

    if (asked.toggleFullscreen)
        ToggleFullscreen();
    if (asked.quit)
        quit = true;
    ApplyControls(asked, simulating, *scene, camera);
    ActOnIntents(asked);
}

void Application::ActOnIntents(const KeyIntents& asked) {
    const bool simulating = !paused;
    if (asked.toggleView) {
        surfaceView = !surfaceView;
        SetViewLighting(surfaceView);
    }
    if (asked.togglePause)
        paused = !paused;
    if (asked.stepOnce && !simulating)
        stepOnce = true;
    if (asked.reset)
        ResetScene();
    if (asked.screenshot)
        screenshotRequested_ = true;
    if (asked.toggleOverlay)
        panel.ToggleCompact(*window_);
    if (asked.toggleRecording)
        video_.Toggle("", display);
    if (asked.togglePanel)
        panel.ToggleFull(*window_);
}

void Application::ResetScene() {
    hands.Release(*scene);
    scene->Reset();
    camera = startCamera_;
}

int Application::Run() {
    while (RunTurn()) {
    }
    return FinishRun() ? kExitOk : kExitOutputFailed;
}

bool Application::RunTurn() {
    if (quit)
        return false;
    if (FrameLimitReached())
        return false;
    if (!FetchEvent(message)) {
        RunOneFrame();
        return true;
    }
    switch (message.type) {
        case EventType::Quit:
            quit = true;
            break;
        case EventType::KeyDown:
            keys.Press(message.virtualKey);
            WindowProc(message);
            break;
        case EventType::KeyUp:
            // Key-ups are recorded and go no further.
            keys.Release(message.virtualKey);
            break;
        case EventType::MouseCounts:
            replayMouse_->AddCounts(message.dx, message.dy);
            break;
        case EventType::CursorMoved:
        case EventType::ButtonDown:
        case EventType::ButtonUp:
            pointer.Handle(message);
            break;
        case EventType::Drop:
            HandleDrop(message.path, eventInjected_);
            break;
        default:
            WindowProc(message);
            break;
    }
    return true;
}

bool Application::FetchEvent(InputEvent& event) {
    if (!injected_.empty()) {
        event = std::move(injected_.front());
        injected_.pop_front();
        eventInjected_ = true;
        return true;
    }
    if (windowOpen_ && window_->PollEvent(event)) {
        eventInjected_ = false;
        return true;
    }
    // The queue is empty, so the next frame would run: its replayed events
    // enter the queue first, each to be handled in a turn of its own.
    const long long next = framesRun + 1;
    if (injectedForFrame_ < next) {
        injectedForFrame_ = next;
        replay_.TakeEventsOf(next, injected_);
        return FetchEvent(event);
    }
    return false;
}

bool Application::FrameLimitReached() const {
    return options_.frames >= 0 && framesRun >= options_.frames;
}

void Application::RunOneFrame() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    if (lastFrameStart_ != Clock::time_point()) {
        panel.RecordFrame(
            std::chrono::duration<double, std::milli>(start - lastFrameStart_).count(), timings);
    }
    lastFrameStart_ = start;

    // A dropped model's build goes on beside the frames; once done, its scene
    // takes over from this frame on.
    PollBuild();
    if (problemFramesLeft_ > 0 && --problemFramesLeft_ == 0)
        statusPanel_ = StatusPanel();

    // Controls.
    HandleKeys();
    mouse.Update();
    PanelState shown;
    shown.framesPerSecond = panel.averageFrameMs > 0.0 ? 1000.0 / panel.averageFrameMs : 0.0;
    shown.timings = panel.average;
    shown.cameraMode = camera.mode;
    shown.surfaceView = surfaceView;
    shown.paused = paused;
    shown.recording = video_.IsRecording();
    // A drop being built or refused shows at the bottom; nothing otherwise.
    panel.ShowStatus(*window_, statusPanel_);
    ActOnIntents(panel.Build(*window_, pointer, *scene, shown, display));
    UseHands();
    // A held grab and the panel keep the mouse to themselves.
    if (hands.Holding() || panel.TakesMouse())
        mouse.dx = mouse.dy = 0.0f;
    camera.Turn(mouse.dx);
    camera.Tilt(mouse.dy);
    // The camera's view is taken before the step, so a following camera sees
    // the body frame of the previous step; a held grab holds the view.
    const CameraView view = hands.Holding() ? hands.HeldView() : camera.View();
    drawnView_ = view;
    viewDrawn_ = true;
    // The step, unless paused.
    StepTimings stepped;
    if (!paused || stepOnce) {
        scene->Step();
        stepped = scene->timings;
    }
    stepOnce = false;
    // The surface is carried along only in frames that draw it; its
    // triangles are refreshed while the drawing goes on.
    if (surfaceView) {
        scene->StartDeformSurface();
        stepped.surface = scene->timings.surface;
    }
    // Draw, the pull and the panel, captures.
    timings.bodyStep = stepped.bodyStep;
    timings.waterStep = stepped.waterStep;
    timings.surface = stepped.surface;
    timings.drawing = wobble::DrawFrame(*scene, view, lightPosition, surfaceView);
    if (surfaceView)
        scene->FinishDeformSurface();
    DrawFrame();
    ++framesRun;
    CaptureFrame();
    // Where the hidden cursor points; after the captures, as a cursor is
    // never part of a screenshot.
    if (window_->CursorHidden())
        DrawCrosshair(display, ViewportX(pointer.x), ViewportY(pointer.y));
    window_->SwapBuffers();
    timings.frame = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Application::DrawFrame() {
    const BodyPull& pull = scene->body.pull;
    if (pull.Active())
        DrawPullLine(scene->body.particles[static_cast<size_t>(pull.particle)].position,
                     pull.target);
    if (panel.full)
        panel.RecordMeasures(Measure(*scene));
    panel.Draw();
}

void Application::UseHands() {
    if (pointer.pressed[kLeftButton] && !panel.TakesMouse()) {
        // What the user saw when pressing: the latest frame drawn, at the
        // place the button went down.
        const CameraView seen = viewDrawn_ ? drawnView_ : camera.View();
        Lens lens;
        lens.width = display.width;
        lens.height = display.height;
        lens.fieldOfView = display.fieldOfView;
        lens.nearPlane = display.nearPlane;
        lens.farPlane = display.farPlane;
        hands.Press(*scene, seen, lens, ViewportX(pointer.pressX[kLeftButton]),
                    ViewportY(pointer.pressY[kLeftButton]), surfaceView, !paused);
    }
    if (hands.Holding()) {
        if (pointer.down[kLeftButton])
            hands.Drag(*scene, ViewportX(pointer.x), ViewportY(pointer.y));
        else
            hands.Release(*scene);
    }
    pointer.EndFrame();
}

float Application::ViewportX(int windowX) const {
    return static_cast<float>(windowX);
}

float Application::ViewportY(int windowY) const {
    // The viewport keeps the display's size at the window's bottom-left
    // corner: in a taller window its top row is lower down.
    int width = 0, height = 0;
    window_->Size(width, height);
    const int below = height > 0 ? height - display.height : 0;
    return static_cast<float>(windowY - below);
}

void Application::CaptureFrame() {
    const bool lastFrame = quit || FrameLimitReached();
    if (!options_.screenshotFile.empty() && lastFrame) {
        lastFrame_ = ReadFramebuffer(display.width, display.height);
        lastFrameCaptured_ = true;
    }
    if (screenshotRequested_) {
        screenshotRequested_ = false;
        const std::string name = NextFreeName("", "wobble");
        if (WriteScreenshot(name, ReadFramebuffer(display.width, display.height)))
            std::printf("Screenshot written to %s\n", name.c_str());
    }
    if (!options_.recordDir.empty() && !VideoRecorder::IsVideoPath(options_.recordDir))
        RecordFrame();
    // Last: the red dot goes over the frame once it has been read.
    video_.CaptureFrame(display, !window_->IsHeadless());
}

void Application::RecordFrame() {
    if (!recordDirReady_) {
        recordDirReady_ = true;
        if (mkdir(options_.recordDir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "wobble: cannot create the recording folder %s: %s\n",
                         options_.recordDir.c_str(), std::strerror(errno));
            options_.recordDir.clear();
            recordingFailed_ = true;
            return;
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", framesRun);
    std::string error;
    if (!WritePng(options_.recordDir + name, ReadFramebuffer(display.width, display.height),
                  &error)) {
        std::fprintf(stderr, "wobble: cannot write %s%s: %s; recording stops\n",
                     options_.recordDir.c_str(), name, error.c_str());
        options_.recordDir.clear();
        recordingFailed_ = true;
        return;
    }
    if (framesRun % kRecordProgressEvery == 0) {
        std::printf("Recorded %lld frames to %s\n", framesRun, options_.recordDir.c_str());
    }
}

bool Application::FinishRun() {
    bool written = video_.Finish() && !recordingFailed_;
    std::fflush(stdout);
    if (!options_.screenshotFile.empty()) {
        // A run closed from outside has drawn its last frame already; it is
        // still on the front buffer.
        if (!lastFrameCaptured_)
            lastFrame_ = ReadFramebuffer(display.width, display.height, !window_->IsHeadless());
        written = WriteScreenshot(options_.screenshotFile, lastFrame_) && written;
    }
    if (!options_.dumpFile.empty()) {
        DumpedState state;
        state.frame = framesRun;
        state.scene = scene.get();
        state.camera = &camera;
        state.surfaceView = surfaceView;
        written = WriteStateDump(options_.dumpFile, state) && written;
    }
    std::fflush(stdout);
    Shutdown();
    return written;
}

}  // namespace wobble
