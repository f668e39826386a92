#pragma once

#include "input/MouseState.h"

namespace wobble {

// The system mouse as the platform layer delivers it to MouseInput. Only the
// platform folder knows the window system, so it implements this; tests
// implement it with scripted reads.
class MouseDevice {
public:
    virtual ~MouseDevice() = default;

    // Fills `state` with the motion since the previous read, in counts, and
    // the buttons now. Returns false, with `state` of no meaning, when the
    // mouse is unavailable, the program's window lacks the input focus, or
    // the read fails; motion made meanwhile is dropped, not saved for later.
    virtual bool Read(MouseState& state) = 0;
};

}  // namespace wobble
