#include "input/Gamepad.h"

#include <cmath>

namespace wobble {

namespace {

constexpr const char* kButtonNames[kPadButtons] = {"a",
                                                   "b",
                                                   "x",
                                                   "y",
                                                   "back",
                                                   "guide",
                                                   "start",
                                                   "leftstick",
                                                   "rightstick",
                                                   "leftshoulder",
                                                   "rightshoulder",
                                                   "dpup",
                                                   "dpdown",
                                                   "dpleft",
                                                   "dpright",
                                                   "misc1",
                                                   "paddle1",
                                                   "paddle2",
                                                   "paddle3",
                                                   "paddle4",
                                                   "touchpad"};

constexpr const char* kAxisNames[kPadAxes] = {"leftx",  "lefty",       "rightx",
                                              "righty", "lefttrigger", "righttrigger"};

// The key each button holds down while it is down; -1: none.
int KeyOfButton(int button) {
    switch (button) {
        case kPadA:
            return vk::Letter('Z');
        case kPadB:
            return vk::Letter('B');
        case kPadX:
            return vk::Letter('M');
        case kPadY:
            return vk::Letter('C');
        case kPadStart:
            return vk::Letter('P');
        case kPadBack:
            return vk::Letter('R');
        case kPadRightShoulder:
            return vk::Letter('O');
        case kPadLeftShoulder:
            return vk::kTab;
        default:
            return -1;
    }
}

int IndexOf(const char* const* names, int count, const std::string& name) {
    for (int k = 0; k < count; ++k) {
        if (name == names[k])
            return k;
    }
    return -1;
}

void SetKey(KeyTable& keys, int code, bool down) {
    if (down)
        keys.Press(code);
    else
        keys.Release(code);
}

}  // namespace

int PadButtonFromName(const std::string& name) {
    return IndexOf(kButtonNames, kPadButtons, name);
}

int PadAxisFromName(const std::string& name) {
    return IndexOf(kAxisNames, kPadAxes, name);
}

const char* PadButtonName(int button) {
    return button >= 0 && button < kPadButtons ? kButtonNames[button] : "?";
}

const char* PadAxisName(int axis) {
    return axis >= 0 && axis < kPadAxes ? kAxisNames[axis] : "?";
}

void Gamepad::SetButton(int button, bool down, KeyTable& keys) {
    if (button < 0 || button >= kPadButtons || buttons_[button] == down)
        return;
    buttons_[button] = down;
    const int key = KeyOfButton(button);
    if (key >= 0)
        SetKey(keys, key, down);
    UpdateArrows(keys);
}

void Gamepad::SetAxis(int axis, float value, KeyTable& keys) {
    if (axis < 0 || axis >= kPadAxes)
        return;
    // NaN reads as centred; anything beyond full deflection as full.
    axes_[axis] = !(value == value) ? 0.0f : value < -1.0f ? -1.0f : value > 1.0f ? 1.0f : value;
    UpdateArrows(keys);
}

void Gamepad::Release(KeyTable& keys) {
    for (int b = 0; b < kPadButtons; ++b)
        SetButton(b, false, keys);
    for (int a = 0; a < kPadAxes; ++a)
        SetAxis(a, 0.0f, keys);
}

float Gamepad::CameraMotion(float deflection) {
    const float size = std::fabs(deflection);
    if (size <= kDeadZone)
        return 0.0f;
    // From nothing at the dead zone's edge to the full rate at full
    // deflection, so the camera starts turning gently.
    const float motion = (size - kDeadZone) / (1.0f - kDeadZone) * kCameraRate;
    return deflection < 0.0f ? -motion : motion;
}

void Gamepad::UpdateArrows(KeyTable& keys) {
    const bool held[4] = {
        buttons_[kPadDpadUp] || axes_[kPadLeftY] < -kDeadZone,
        buttons_[kPadDpadDown] || axes_[kPadLeftY] > kDeadZone,
        buttons_[kPadDpadLeft] || axes_[kPadLeftX] < -kDeadZone,
        buttons_[kPadDpadRight] || axes_[kPadLeftX] > kDeadZone,
    };
    constexpr int kArrowKeys[4] = {vk::kUp, vk::kDown, vk::kLeft, vk::kRight};
    for (int k = 0; k < 4; ++k) {
        if (held[k] != arrows_[k]) {
            arrows_[k] = held[k];
            SetKey(keys, kArrowKeys[k], held[k]);
        }
    }
}

bool GamepadList::Attach(int id, const std::string& name) {
    if (count_ == kMaxPads)
        return false;
    for (int k = 0; k < count_; ++k) {
        if (ids_[k] == id)
            return false;
    }
    ids_[count_] = id;
    names_[count_] = name;
    ++count_;
    return true;
}

const char* GamepadList::NameOf(int id) const {
    for (int k = 0; k < count_; ++k) {
        if (ids_[k] == id)
            return names_[k].c_str();
    }
    return nullptr;
}

bool GamepadList::Detach(int id) {
    for (int k = 0; k < count_; ++k) {
        if (ids_[k] != id)
            continue;
        for (int j = k; j + 1 < count_; ++j) {
            ids_[j] = ids_[j + 1];
            names_[j] = std::move(names_[j + 1]);
        }
        --count_;
        return k == 0;
    }
    return false;
}

}  // namespace wobble
