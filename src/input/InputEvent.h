#pragma once
// Window-system events as the main loop sees them, translated from SDL by the
// platform layer or read from a replay file.

#include <string>

namespace wobble {

enum class EventType {
    Other,    // anything the main loop has no use for (it is still dispatched)
    Quit,     // the quit message: ends the main loop in the turn that fetches it
    KeyDown,  // also each auto-repeated key-down
    KeyUp,
    CloseRequest,  // the user asks the window to close
    Resized,       // the window's size changed
    MouseCounts,   // replay only: raw relative counts for the next mouse read
    CursorMoved,   // the cursor is at x, y
    ButtonDown,    // a mouse button went down (at the cursor's place)
    ButtonUp,
    Drop,  // a file or folder dropped on the window (or a replayed drop)
};

// Mouse buttons, in the order the mouse state keeps them.
enum MouseButton { kLeftButton = 0, kRightButton = 1, kMiddleButton = 2, kMouseButtons = 3 };

struct InputEvent {
    EventType type = EventType::Other;
    int virtualKey = -1;  // KeyDown, KeyUp: the virtual-key code (see input/KeyTable.h)
    int dx = 0, dy = 0;   // MouseCounts
    int x = 0, y = 0;     // CursorMoved: window pixels from the top-left corner
    int button = 0;       // ButtonDown, ButtonUp: a MouseButton
    std::string path{};   // Drop: what was dropped
};

}  // namespace wobble
