#pragma once

#include <cstdint>

namespace wobble {

// One read of the relative mouse: motion in device counts since the previous
// read (x to the right, y towards the user, z the wheel) and four buttons,
// each 0x80 while held and 0 otherwise (left, right, middle, fourth).
struct MouseState {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    uint8_t rgbButtons[4] = {0, 0, 0, 0};
};

}  // namespace wobble
