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
    Drop,           // a file or folder dropped on the window (or a replayed drop)
    PadAttached,    // a gamepad plugged in (or present at start-up): pad, name
    PadDetached,    // a gamepad gone: pad
    PadButtonDown,  // a gamepad's button: pad, control (input/Gamepad.h's PadButton)
    PadButtonUp,
    PadAxisMoved,  // a gamepad's stick or trigger: pad, control (PadAxis), value
};

// The pad of replayed gamepad events: whichever pad steers, or none.
constexpr int kReplayedPad = -1;

// Mouse buttons, in the order the mouse state keeps them.
enum MouseButton { kLeftButton = 0, kRightButton = 1, kMiddleButton = 2, kMouseButtons = 3 };

struct InputEvent {
    EventType type = EventType::Other;
    int virtualKey = -1;     // KeyDown, KeyUp: the virtual-key code (see input/KeyTable.h)
    int dx = 0, dy = 0;      // MouseCounts
    int x = 0, y = 0;        // CursorMoved: window pixels from the top-left corner
    int button = 0;          // ButtonDown, ButtonUp: a MouseButton
    std::string path{};      // Drop: what was dropped
    int pad = kReplayedPad;  // Pad*: the platform's id of the pad
    int control = 0;         // PadButton*, PadAxisMoved: which button or axis
    float value = 0.0f;      // PadAxisMoved: -1 to 1
    std::string name{};      // PadAttached: the pad's name
};

}  // namespace wobble
