#pragma once
// The cursor and the mouse buttons as the window's events (or a replay)
// leave them. A button pressed and released between two frames still counts
// as pressed for the next frame, as a quick tap of a key does.

#include "input/InputEvent.h"

namespace wobble {

struct Pointer {
    // Takes CursorMoved, ButtonDown and ButtonUp; other events and unknown
    // buttons change nothing.
    void Handle(const InputEvent& event) {
        if (event.type == EventType::CursorMoved) {
            x = event.x;
            y = event.y;
            return;
        }
        if (event.button < 0 || event.button >= kMouseButtons)
            return;
        if (event.type == EventType::ButtonDown) {
            down[event.button] = true;
            pressed[event.button] = true;
            pressX[event.button] = x;
            pressY[event.button] = y;
        } else if (event.type == EventType::ButtonUp) {
            down[event.button] = false;
        }
    }
    // A frame has seen the presses.
    void EndFrame() {
        for (bool& p : pressed)
            p = false;
    }

    int x = 0;  // window pixels from the top-left corner
    int y = 0;
    bool down[kMouseButtons] = {};     // held now
    bool pressed[kMouseButtons] = {};  // went down since the last frame
    // Where each button last went down: the cursor may move on before the
    // frame that acts on the press.
    int pressX[kMouseButtons] = {};
    int pressY[kMouseButtons] = {};
};

}  // namespace wobble
