#pragma once
// The keyboard's meaning: a fixed list of bindings evaluated once per frame,
// in order, against the key table. A held binding acts in every frame while
// its key is down; a once binding acts on a key-down and clears its entries,
// so keyboard auto-repeat makes it act again with every repeated key-down.
//
//   T / F5      once   fullscreen on or off
//   Escape      held   quit after this frame
//   Up Down     held   forward / backward thrust (released: decay)
//   Left Right  held   turn left / right (released: decay)
//   W S A D     held   move the free camera, or zoom a follow camera
//   M           once   dressed surface <-> red tetra wireframe
//   C           held   next camera mode on every seventh frame held
//   Z / F11     held   splash the water at (30, 2, 30)
//   B / Num 2   held   pump the body up by 10 % a frame
//
// and, on keys nobody else uses:
//
//   P           once   pause or resume the simulation
//   O           once   while paused: one frame's simulation
//   R           once   reset the scene to its state after start-up
//   F12         once   screenshot of the current frame
//   F9          once   start or stop recording a video
//   F1          once   show or hide the overlay

#include <functional>

#include "input/KeyTable.h"

namespace wobble {

class Camera;
class SoftBody;
class WaterSurface;

// What the bindings act on. Window-level actions are callbacks, so that the
// bindings can be exercised without a window.
struct BindingTargets {
    SoftBody* body = nullptr;
    WaterSurface* water = nullptr;
    Camera* camera = nullptr;
    bool* quit = nullptr;
    bool* surfaceView = nullptr;
    // While paused the simulation's own keys (thrust, splash, pump) do nothing.
    bool* paused = nullptr;
    std::function<void()> toggleFullscreen;
    std::function<void()> stepOnce;
    std::function<void()> reset;
    std::function<void()> screenshot;
    std::function<void()> toggleOverlay;
    std::function<void()> toggleRecording;
};

// The point the splash key pushes the water down at.
inline constexpr float kSplashPoint[3] = {30.0f, 2.0f, 30.0f};

void ApplyKeyBindings(KeyTable& keys, BindingTargets& targets);

}  // namespace wobble
