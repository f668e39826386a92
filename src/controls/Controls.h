#pragma once
// What the keys ask of the simulation and the camera, acted on. The key
// bindings (input/KeyBindings.h) only read the keyboard; this is where a
// held Up arrow becomes forward thrust and W moves the camera. The window's
// own intents (fullscreen, quit, view, pause, reset, screenshot, overlay)
// are the application's.

#include "input/KeyBindings.h"

namespace wobble {

class Camera;
class Scene;

// In the order of the bindings: the thrusts ramp for the arrows held and
// decay for a pair with neither held; the camera moves (W S A D) and counts
// towards its next mode (C); the water splashes (Z, F11); the body pumps
// (B, keypad 2). While the simulation is paused (`simulating` false) the
// thrusts, the splash and the pump do nothing; the camera still moves.
void ApplyControls(const KeyIntents& asked, bool simulating, Scene& scene, Camera& camera);

}  // namespace wobble
