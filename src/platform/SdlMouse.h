#pragma once

#include <SDL2/SDL.h>

#include <cstdint>

#include "input/MouseDevice.h"
#include "input/MouseState.h"

namespace wobble {

// The system mouse over SDL: relative motion gathered from the motion events
// of the program's window between two reads. The cursor is never grabbed or
// hidden, so it stays usable outside the window; motion counts only while
// the window has the input focus, as a non-exclusive foreground mouse would.
// Unlike such a mouse, it resumes by itself when the focus comes back.
//
// The main loop hands every event it takes from the queue to HandleEvent;
// MouseInput reads through Read once per frame.
class SdlMouse : public MouseDevice {
public:
    // DirectInput's unit for one notch of the wheel.
    static constexpr int32_t kWheelCountsPerNotch = 120;

    // `window` is the program's window, whose focus at this moment is the
    // starting focus; null gives a mouse that never reports motion.
    explicit SdlMouse(SDL_Window* window);

    // Gathers motion, wheel and buttons of the program's window and follows
    // its focus; events of other windows and other kinds are ignored.
    void HandleEvent(const SDL_Event& event);

    // The motion gathered since the previous read; false without the focus.
    // Either way the gathered motion starts again from zero.
    bool Read(MouseState& state) override;

    uint32_t windowId = 0;              // SDL's id of the program's window; 0: none
    bool focused = false;               // the window has the input focus
    int32_t motionX = 0;                // counts to the right since the last read
    int32_t motionY = 0;                // counts towards the user (down the screen)
    int32_t wheel = 0;                  // wheel counts away from the user
    uint8_t buttons[4] = {0, 0, 0, 0};  // left, right, middle, fourth: 0x80 held
};

}  // namespace wobble
