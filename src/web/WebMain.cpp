// wobble's page: the application's loop on requestAnimationFrame, one frame
// of simulation a drawn frame, through the page's window (WebWindow), its
// WebGL drawing (WebGlDrawing) and its HTML panel (HtmlPanel). The page's
// script (web/page/wobble.js) loads the scenes into the in-memory file
// system and hands over the events through the functions below.

#include <emscripten.h>

#include <cstdlib>
#include <memory>

#include "app/Application.h"
#include "web/HtmlPanel.h"
#include "web/WebGlDrawing.h"
#include "web/WebWindow.h"

namespace {

std::unique_ptr<wobble::Application> application;
wobble::WebWindow* window = nullptr;

// Turns of the loop until one has run a frame: the events waiting, then the frame.
void AnimationFrame() {
    const long long frames = application->framesRun();
    while (application->framesRun() == frames) {
        if (!application->RunTurn()) {
            emscripten_cancel_main_loop();
            return;
        }
    }
}

void Push(const wobble::InputEvent& event) {
    if (window != nullptr)
        window->Push(event);
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void wobble_key(const char* code, int down, int numLock) {
    const int key = wobble::VirtualKeyFromCode(code, numLock != 0);
    if (key >= 0)
        Push({down ? wobble::EventType::KeyDown : wobble::EventType::KeyUp, key});
}

EMSCRIPTEN_KEEPALIVE void wobble_motion(int dx, int dy) {
    if (window != nullptr)
        window->AddMotion(dx, dy);
}

EMSCRIPTEN_KEEPALIVE void wobble_cursor(int x, int y) {
    wobble::InputEvent event{wobble::EventType::CursorMoved};
    event.x = x;
    event.y = y;
    Push(event);
}

EMSCRIPTEN_KEEPALIVE void wobble_button(int button, int down) {
    if (window != nullptr && button >= 0 && button < 3)
        window->buttons[button] = down != 0;
    wobble::InputEvent event{down ? wobble::EventType::ButtonDown : wobble::EventType::ButtonUp};
    event.button = button;
    Push(event);
}

EMSCRIPTEN_KEEPALIVE void wobble_pointer_locked(int locked) {
    if (window != nullptr)
        window->pointerLocked = locked != 0;
}

// A scene folder in the in-memory file system, chosen from the menu or
// dropped: loaded as a drop on the desktop's window is, refused the same way.
EMSCRIPTEN_KEEPALIVE void wobble_drop(const char* path) {
    wobble::InputEvent event{wobble::EventType::Drop};
    event.path = path;
    Push(event);
}

// What the page's tests read: the frames run, and the body's centre.
EMSCRIPTEN_KEEPALIVE int wobble_frames() {
    return application != nullptr ? static_cast<int>(application->framesRun()) : 0;
}

EMSCRIPTEN_KEEPALIVE float wobble_body_centre(int axis) {
    if (application == nullptr || axis < 0 || axis > 2)
        return 0.0f;
    return wobble::FrameOf(application->scene().body).centre[axis];
}

}  // extern "C"

// The page's arguments: the scene folder, and the frames to run (the page
// stops there, its last picture on show), from its address's query.
int main(int argc, char** argv) {
    wobble::AppOptions options;
    options.sceneDir = argc > 1 ? argv[1] : "/scenes/sample";
    if (argc > 2)
        options.frames = std::atoll(argv[2]);
    auto webWindow = std::make_unique<wobble::WebWindow>();
    window = webWindow.get();
    application = std::make_unique<wobble::Application>(
        800, 600, 32,
        wobble::Seams{std::move(webWindow), std::make_unique<wobble::WebGlDrawing>(),
                      std::make_unique<wobble::HtmlPanel>()},
        options);
    if (!application->Initialize())
        return wobble::kExitStartupFailed;
    emscripten_set_main_loop(AnimationFrame, 0, false);
    return wobble::kExitOk;
}
