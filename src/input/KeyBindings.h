#pragma once
// The keyboard's meaning: a fixed list of bindings read once per frame, in
// order, from the key table into a plain value of what the user asks for
// this frame. A held binding asks in every frame while its key is down; a
// once binding asks on a key-down and clears its entries, so keyboard
// auto-repeat makes it ask again with every repeated key-down.
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
//   F1          once   show or hide the overlay (the panel's compact view)
//   Tab         once   show or hide the panel
//
// The application acts on the value in the order of the fields below, which
// is the order of the list.

#include "input/KeyTable.h"

namespace wobble {

struct KeyIntents {
    bool toggleFullscreen = false;
    bool quit = false;
    // The arrows held: the thrusts to ramp; a pair with neither held decays.
    bool thrustForward = false;
    bool thrustBackward = false;
    bool turnLeft = false;
    bool turnRight = false;
    bool cameraForward = false;
    bool cameraBackward = false;
    bool cameraLeft = false;
    bool cameraRight = false;
    bool toggleView = false;
    bool nextCameraMode = false;
    bool splash = false;
    bool pump = false;
    bool togglePause = false;
    bool stepOnce = false;
    bool reset = false;
    bool screenshot = false;
    bool toggleOverlay = false;
    bool toggleRecording = false;
    bool togglePanel = false;
};

// Reads this frame's intents from the table: clears the entries of the once
// bindings that fired, and ends the frame for the table (see
// KeyTable::EndFrame).
KeyIntents ReadKeyBindings(KeyTable& keys);

// What either source asks for: the keyboard's intents and those of another
// source (the panel's buttons, a gamepad) joined into one frame's. A toggle
// asked for by both acts once.
KeyIntents MergeIntents(const KeyIntents& a, const KeyIntents& b);

}  // namespace wobble
