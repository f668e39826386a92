#include "app/Application.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/ReplayMouse.h"
#include "app/StateDump.h"
#include "common/LineReader.h"
#include "input/KeyBindings.h"
#include "softbody/SceneConfig.h"

namespace wobble {

namespace {

constexpr const char* kConfigFile = "config.txt";
constexpr int kRecordProgressEvery = 100;

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

Application::Application(int width, int height, int bits, const AppOptions& options)
    : options_(options) {
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
    if (!CreateRenderWindow())
        return false;
    SetupGLState();
    replayMouse_ = std::make_unique<ReplayMouse>(SystemMouse());
    mouse.SetWindow(replayMouse_.get());
    mouse.Initialize();
    camera.Reset();
    BuildScene();
    if (!SceneIsUsable()) {
        Shutdown();
        return false;
    }
    startState_.Capture(*body, *water, camera);

    bindings_.body = body.get();
    bindings_.water = water.get();
    bindings_.camera = &camera;
    bindings_.quit = &quit;
    bindings_.surfaceView = &surfaceView;
    bindings_.paused = &paused;
    bindings_.toggleFullscreen = [this] { ToggleFullscreen(); };
    bindings_.stepOnce = [this] { stepOnce = true; };
    bindings_.reset = [this] { ResetScene(); };
    bindings_.screenshot = [this] { screenshotRequested_ = true; };
    bindings_.toggleOverlay = [this] { overlay.Toggle(); };
    bindings_.toggleRecording = [this] { video_.Toggle(options_.outputDir, display); };
    video_.RecordFromStart(options_.recordDir);
    return true;
}

void Application::BuildScene() {
    const float light[4] = {-10.0f, 5.0f, 2.0f, 0.0f};  // w = 0: a directional light
    std::memcpy(lightPosition, light, sizeof light);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);

    body = std::make_unique<SoftBody>();
    inputErrorsBeforeScene_ = InputErrorCount();
    configLoaded_ = LoadConfig(kConfigFile, *body);
    body->BindSurface();
    camera.SetBody(body.get());

    water = std::make_unique<WaterSurface>();
    body->controller.water = water.get();
    // The body's sphere in the water: half the loaded distance between
    // control particles 2 and 3. Pumping the body later does not change it.
    float radius = 0.0f;
    if (body->controller.HasControlParticles()) {
        const SbVec3f across = body->controller.controlParticles[2]->position -
                               body->controller.controlParticles[3]->position;
        radius = 0.5f * across.length();
    }
    water->Init(100, 100, 4.0f, 4.0f, radius);
}

bool Application::SceneIsUsable() {
    const char* problem = nullptr;
    if (!configLoaded_) {
        problem =
            "cannot be read as a scene (start wobble in a scene folder, or name one: wobble "
            "SCENE_DIR)";
    } else if (body->particleCount <= 0) {
        problem = "its tetrahedral model did not load, so there is no body to simulate";
    } else if (!body->controller.HasControlParticles()) {
        problem = "it gives no usable control particles";
    }
    if (problem == nullptr)
        return true;
    // A reader that refused the input has said why already; one line is enough.
    if (InputErrorCount() == inputErrorsBeforeScene_) {
        std::fflush(stdout);
        std::fprintf(stderr, "wobble: %s: %s\n", kConfigFile, problem);
    }
    return false;
}

void Application::HandleKeys() {
    if (!fullscreenModePrepared_)
        PrepareFullscreenMode();
    ApplyKeyBindings(keys, bindings_);
}

void Application::DrawFrame() {
    FrameScene scene;
    scene.camera = &camera;
    scene.lightPosition = lightPosition;
    scene.body = body.get();
    scene.water = water.get();
    scene.surfaceView = surfaceView;
    scene.simulate = !paused || stepOnce;
    stepOnce = false;
    wobble::DrawFrame(scene, &timings);

    if (overlay.visible) {
        OverlayInfo info;
        info.framesPerSecond = overlay.averageFrameMs > 0.0 ? 1000.0 / overlay.averageFrameMs : 0.0;
        info.timings = overlay.average;
        info.body = body.get();
        info.cameraMode = camera.mode;
        info.paused = paused;
        info.surfaceView = surfaceView;
        overlay.Draw(info, display);
    }
}

void Application::ResetScene() {
    startState_.Restore(*body, *water, camera);
}

int Application::Run() {
    while (RunTurn()) {
    }
    FinishRun();
    return kExitOk;
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
        default:
            WindowProc(message);
            break;
    }
    return true;
}

bool Application::FetchEvent(InputEvent& event) {
    if (!injected_.empty()) {
        event = injected_.front();
        injected_.pop_front();
        return true;
    }
    if (FetchSystemEvent(event))
        return true;
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
        overlay.RecordFrame(
            std::chrono::duration<double, std::milli>(start - lastFrameStart_).count(), timings);
    }
    lastFrameStart_ = start;

    HandleKeys();
    mouse.Update();
    camera.Turn(mouse.dx);
    camera.Tilt(mouse.dy);
    DrawFrame();
    ++framesRun;

    const bool lastFrame = quit || FrameLimitReached();
    if (!options_.screenshotFile.empty() && lastFrame) {
        lastFrame_ = ReadFramebuffer(display.width, display.height);
        lastFrameCaptured_ = true;
    }
    if (screenshotRequested_) {
        screenshotRequested_ = false;
        const std::string name = NextFreeName(options_.outputDir, "wobble");
        if (WriteScreenshot(name, ReadFramebuffer(display.width, display.height)))
            std::printf("Screenshot written to %s\n", name.c_str());
    }
    if (!options_.recordDir.empty() && !VideoRecorder::IsVideoPath(options_.recordDir))
        RecordFrame();
    video_.CaptureFrame(display, !options_.headless);  // last: the red dot goes over the frame
    SwapWindowBuffers();
    timings.frame = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Application::RecordFrame() {
    if (!recordDirReady_) {
        recordDirReady_ = true;
        if (mkdir(options_.recordDir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "wobble: cannot create the recording folder %s: %s\n",
                         options_.recordDir.c_str(), std::strerror(errno));
            options_.recordDir.clear();
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
        return;
    }
    if (framesRun % kRecordProgressEvery == 0) {
        std::printf("Recorded %lld frames to %s\n", framesRun, options_.recordDir.c_str());
    }
}

void Application::FinishRun() {
    video_.Finish();
    std::fflush(stdout);
    if (!options_.screenshotFile.empty()) {
        // A run closed from outside has drawn its last frame already; it is
        // still on the front buffer.
        if (!lastFrameCaptured_)
            lastFrame_ = ReadFrontBuffer();
        WriteScreenshot(options_.screenshotFile, lastFrame_);
    }
    if (!options_.dumpFile.empty()) {
        DumpedState state;
        state.frame = framesRun;
        state.body = body.get();
        state.camera = &camera;
        state.water = water.get();
        state.surfaceView = surfaceView;
        WriteStateDump(options_.dumpFile, state);
    }
    std::fflush(stdout);
    Shutdown();
}

}  // namespace wobble
