#pragma once

#include <cstdint>

#include "input/MouseDevice.h"
#include "input/MouseState.h"

namespace wobble {

// Reads the relative mouse once per frame and scales it into dx and dy,
// which turn and tilt the camera. The cursor stays free: the platform's
// device counts motion only while the program's window has the input focus.
//
// Calling order: SetWindow and Initialize once the window exists, then
// Update once per frame; readers take dx and dy from the fields.
class MouseInput {
public:
    MouseInput() = default;
    virtual ~MouseInput() = default;

    // The program window's mouse, as the platform layer provides it; not
    // owned. Null leaves the reader without a mouse: no motion, ever.
    void SetWindow(MouseDevice* windowMouse);
    // Makes a first read and throws it away, so that the first frame sees
    // only the motion made after start-up.
    void Initialize();
    // Reads the motion since the previous read into dx and dy and the
    // buttons into `buttons`. A failed read (no device, no focus, an error)
    // gives no motion and keeps `state` and `buttons` as they were, so the
    // camera never keeps spinning on a stale delta.
    void Update();

    MouseDevice* device = nullptr;      // the mouse read; not owned
    MouseState state;                   // the last successful read
    float dx = 0.0f;                    // scaled horizontal motion of the last read
    float dy = 0.0f;                    // scaled vertical motion of the last read
    float sensitivityX = 0.5f;          // per count
    float sensitivityY = 0.5f;          // per count
    uint8_t buttons[4] = {0, 0, 0, 0};  // copies of state.rgbButtons; nothing reads them
};

}  // namespace wobble
