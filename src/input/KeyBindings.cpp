#include "input/KeyBindings.h"

namespace wobble {

namespace {

// A once binding: fires if any of its codes is down, then clears them all.
bool TakeOnce(KeyTable& keys, int code, int otherCode = -1) {
    if (!keys.IsDown(code) && !keys.IsDown(otherCode))
        return false;
    keys.Clear(code);
    keys.Clear(otherCode);
    return true;
}

}  // namespace

KeyIntents ReadKeyBindings(KeyTable& keys) {
    KeyIntents in;
    in.toggleFullscreen = TakeOnce(keys, vk::kF5, vk::Letter('T'));
    in.quit = keys.IsDown(vk::kEscape);
    in.thrustForward = keys.IsDown(vk::kUp);
    in.thrustBackward = keys.IsDown(vk::kDown);
    in.turnLeft = keys.IsDown(vk::kLeft);
    in.turnRight = keys.IsDown(vk::kRight);
    in.cameraForward = keys.IsDown(vk::Letter('W'));
    in.cameraBackward = keys.IsDown(vk::Letter('S'));
    in.cameraLeft = keys.IsDown(vk::Letter('A'));
    in.cameraRight = keys.IsDown(vk::Letter('D'));
    in.toggleView = TakeOnce(keys, vk::Letter('M'));
    in.nextCameraMode = keys.IsDown(vk::Letter('C'));
    in.splash = keys.IsDown(vk::kF11) || keys.IsDown(vk::Letter('Z'));
    in.pump = keys.IsDown(vk::kNumpad2) || keys.IsDown(vk::Letter('B'));
    in.togglePause = TakeOnce(keys, vk::Letter('P'));
    in.stepOnce = TakeOnce(keys, vk::Letter('O'));
    in.reset = TakeOnce(keys, vk::Letter('R'));
    in.screenshot = TakeOnce(keys, vk::kF12);
    in.toggleOverlay = TakeOnce(keys, vk::kF1);
    in.toggleRecording = TakeOnce(keys, vk::kF9);
    in.togglePanel = TakeOnce(keys, vk::kTab);
    keys.EndFrame();
    return in;
}

// A field added to KeyIntents must be joined here too, or its source's ask
// would be dropped.
static_assert(sizeof(KeyIntents) == 21 * sizeof(bool), "MergeIntents joins every intent");

KeyIntents MergeIntents(const KeyIntents& a, const KeyIntents& b) {
    KeyIntents in;
    in.toggleFullscreen = a.toggleFullscreen || b.toggleFullscreen;
    in.quit = a.quit || b.quit;
    in.thrustForward = a.thrustForward || b.thrustForward;
    in.thrustBackward = a.thrustBackward || b.thrustBackward;
    in.turnLeft = a.turnLeft || b.turnLeft;
    in.turnRight = a.turnRight || b.turnRight;
    in.cameraForward = a.cameraForward || b.cameraForward;
    in.cameraBackward = a.cameraBackward || b.cameraBackward;
    in.cameraLeft = a.cameraLeft || b.cameraLeft;
    in.cameraRight = a.cameraRight || b.cameraRight;
    in.toggleView = a.toggleView || b.toggleView;
    in.nextCameraMode = a.nextCameraMode || b.nextCameraMode;
    in.splash = a.splash || b.splash;
    in.pump = a.pump || b.pump;
    in.togglePause = a.togglePause || b.togglePause;
    in.stepOnce = a.stepOnce || b.stepOnce;
    in.reset = a.reset || b.reset;
    in.screenshot = a.screenshot || b.screenshot;
    in.toggleOverlay = a.toggleOverlay || b.toggleOverlay;
    in.toggleRecording = a.toggleRecording || b.toggleRecording;
    in.togglePanel = a.togglePanel || b.togglePanel;
    return in;
}

}  // namespace wobble
