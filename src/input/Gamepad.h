#pragma once
// The gamepad's meaning. A pad does what keys do: its buttons and its left
// stick press and release keys in a key table of its own, which the key
// bindings read every frame as they read the keyboard's, and the two are
// joined (MergeIntents). So a pad's button acts once or while held exactly as
// its key does, and a replay of pad lines gives the dump of the equivalent
// key replay.
//
//   left stick, D-pad   the arrows: up/down thrust, left/right turn; a stick
//                       direction past a quarter of full deflection holds
//                       its arrow down, below it releases it
//   right stick         turns and tilts the camera as the mouse does: full
//                       deflection 3 degrees a frame (180 a second at 60)
//   A  Z (splash)       B  B (pump)        X  M (surface / wireframe)
//   Y  C (camera mode)  Start  P (pause)   Back  R (reset)
//   right shoulder  O (one step)           left shoulder  Tab (panel)
//
// Buttons and axes are numbered, and named, as SDL's game controller API
// numbers and names them; the platform hands them over unchanged.

#include <string>

#include "input/KeyTable.h"

namespace wobble {

enum PadButton {
    kPadA,
    kPadB,
    kPadX,
    kPadY,
    kPadBack,
    kPadGuide,
    kPadStart,
    kPadLeftStick,
    kPadRightStick,
    kPadLeftShoulder,
    kPadRightShoulder,
    kPadDpadUp,
    kPadDpadDown,
    kPadDpadLeft,
    kPadDpadRight,
    kPadMisc1,
    kPadPaddle1,
    kPadPaddle2,
    kPadPaddle3,
    kPadPaddle4,
    kPadTouchpad,
    kPadButtons
};

enum PadAxis {
    kPadLeftX,
    kPadLeftY,  // SDL's sticks read negative upwards
    kPadRightX,
    kPadRightY,
    kPadLeftTrigger,
    kPadRightTrigger,
    kPadAxes
};

// SDL's names of the buttons and axes ("a", "leftshoulder", "lefty", ...);
// -1 for a name that is none of them.
int PadButtonFromName(const std::string& name);
int PadAxisFromName(const std::string& name);
const char* PadButtonName(int button);
const char* PadAxisName(int axis);

class Gamepad {
public:
    // Deflection below which a stick reads as centred.
    static constexpr float kDeadZone = 0.25f;
    // Camera turn and tilt of a full right-stick deflection, degrees a frame.
    static constexpr float kCameraRate = 3.0f;

    // The pad steering (the first one attached) changes a button or an axis
    // (-1 to 1; values beyond are clamped). Keys go down and up in `keys` as
    // the pad's mapping says. Unknown numbers are ignored.
    void SetButton(int button, bool down, KeyTable& keys);
    void SetAxis(int axis, float value, KeyTable& keys);
    // Everything released and centred, as when the steering pad goes.
    void Release(KeyTable& keys);

    // The right stick's camera motion for one frame, in the mouse's units
    // (degrees of turn and tilt); zero inside the dead zone.
    float CameraTurn() const { return CameraMotion(axes_[kPadRightX]); }
    float CameraTilt() const { return CameraMotion(axes_[kPadRightY]); }

private:
    static float CameraMotion(float deflection);
    // Presses or releases the arrows as the D-pad and the left stick now say.
    void UpdateArrows(KeyTable& keys);

    bool buttons_[kPadButtons] = {};
    float axes_[kPadAxes] = {};
    bool arrows_[4] = {};  // up, down, left, right as last pressed
};

// The pads attached, the first of which steers; by the platform's ids.
class GamepadList {
public:
    static constexpr int kMaxPads = 8;

    // A pad attached: false when it already was, or when kMaxPads are.
    bool Attach(int id, const std::string& name);
    // A pad gone: true when it was the one steering (its keys must be
    // released; the next attached, if any, steers from now on).
    bool Detach(int id);
    bool Steers(int id) const { return count_ > 0 && ids_[0] == id; }
    // The name a pad attached with; null for a pad not attached.
    const char* NameOf(int id) const;
    // The steering pad's name; null without a pad.
    const char* SteeringName() const { return count_ > 0 ? names_[0].c_str() : nullptr; }

private:
    int ids_[kMaxPads] = {};
    std::string names_[kMaxPads];
    int count_ = 0;
};

}  // namespace wobble
