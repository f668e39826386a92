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
    Drop,          // a file or folder dropped on the window (or a replayed drop)
};

struct InputEvent {
    EventType type = EventType::Other;
    int virtualKey = -1;  // KeyDown, KeyUp: the virtual-key code (see input/KeyTable.h)
    int dx = 0, dy = 0;   // MouseCounts
    std::string path{};   // Drop: what was dropped
};

}  // namespace wobble
