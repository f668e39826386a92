#include "input/KeyBindings.h"

#include <GL/gl.h>

#include "camera/Camera.h"
#include "softbody/SoftBody.h"
#include "water/WaterSurface.h"

namespace wobble {

namespace {

// A once binding: acts if any of its codes is down, then clears them all.
bool TakeOnce(KeyTable& keys, int code, int otherCode = -1) {
    if (!keys.IsDown(code) && !keys.IsDown(otherCode))
        return false;
    keys.Release(code);
    keys.Release(otherCode);
    return true;
}

void Call(const std::function<void()>& action) {
    if (action)
        action();
}

}  // namespace

void ApplyKeyBindings(KeyTable& keys, BindingTargets& t) {
    const bool simulating = t.paused == nullptr || !*t.paused;
    ThrustController* thrust = t.body != nullptr ? &t.body->controller : nullptr;

    if (TakeOnce(keys, vk::kF5, vk::Letter('T')))
        Call(t.toggleFullscreen);
    if (keys.IsDown(vk::kEscape) && t.quit != nullptr)
        *t.quit = true;

    if (thrust != nullptr && simulating) {
        const bool up = keys.IsDown(vk::kUp), down = keys.IsDown(vk::kDown);
        const bool left = keys.IsDown(vk::kLeft), right = keys.IsDown(vk::kRight);
        if (up)
            thrust->RampForward();
        if (down)
            thrust->RampBackward();
        if (left)
            thrust->RampLeft();
        if (right)
            thrust->RampRight();
        if (!up && !down)
            thrust->DecayForwardBackward();
        if (!left && !right)
            thrust->DecayLeftRight();
    }

    if (t.camera != nullptr) {
        if (keys.IsDown(vk::Letter('W')))
            t.camera->MoveForward();
        if (keys.IsDown(vk::Letter('S')))
            t.camera->MoveBackward();
        if (keys.IsDown(vk::Letter('A')))
            t.camera->MoveLeft();
        if (keys.IsDown(vk::Letter('D')))
            t.camera->MoveRight();
    }

    if (TakeOnce(keys, vk::Letter('M')) && t.surfaceView != nullptr) {
        *t.surfaceView = !*t.surfaceView;
        // The dressed surface is lit; the wireframe shows its plain colours.
        if (*t.surfaceView) {
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_LIGHTING);
        }
    }

    if (t.camera != nullptr && keys.IsDown(vk::Letter('C')))
        t.camera->NextMode();

    if (simulating && t.water != nullptr &&
        (keys.IsDown(vk::kF11) || keys.IsDown(vk::Letter('Z')))) {
        t.water->Displace(SbVec3f(kSplashPoint[0], kSplashPoint[1], kSplashPoint[2]));
    }
    if (simulating && t.body != nullptr &&
        (keys.IsDown(vk::kNumpad2) || keys.IsDown(vk::Letter('B')))) {
        t.body->Pump();
    }

    if (TakeOnce(keys, vk::Letter('P')) && t.paused != nullptr)
        *t.paused = !*t.paused;
    if (TakeOnce(keys, vk::Letter('O')) && !simulating)
        Call(t.stepOnce);
    if (TakeOnce(keys, vk::Letter('R')))
        Call(t.reset);
    if (TakeOnce(keys, vk::kF12))
        Call(t.screenshot);
    if (TakeOnce(keys, vk::kF1))
        Call(t.toggleOverlay);
    if (TakeOnce(keys, vk::kF9))
        Call(t.toggleRecording);
}

}  // namespace wobble
