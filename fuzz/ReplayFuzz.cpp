// Fuzz target for the replay reader, Replay::Load.
//
// Beyond crashes and sanitizer reports: a refused file leaves no events; an
// accepted one hands out only events the main loop can take (key codes of
// the key table, mouse counts that cannot overflow when a frame adds two,
// cursor places as far from overflow, buttons the pointer knows, dropped
// paths made whole, gamepad buttons and axes SDL numbers, deflections from
// -1 to 1), each frame's events after the earlier frames' ones; a gamepad
// driven by them presses only keys of the table.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "app/Replay.h"
#include "input/Gamepad.h"
#include "input/KeyTable.h"
#include "input/Pointer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = wobble::fuzz::WriteScratchFile("replay.txt", data, size);
    wobble::Replay replay;
    if (!replay.Load(path)) {
        FUZZ_CHECK(replay.empty());
        return 0;
    }
    // Frame by frame as the main loop asks, then everything that is left.
    std::vector<wobble::InputEvent> events;
    wobble::KeyTable keys;
    wobble::Pointer pointer;
    wobble::Gamepad pad;
    wobble::KeyTable padKeys;
    for (long long frame = 1; frame <= 4; ++frame)
        replay.TakeEventsOf(frame, events);
    replay.TakeEventsOf(LLONG_MAX, events);
    for (const wobble::InputEvent& e : events) {
        switch (e.type) {
            case wobble::EventType::KeyDown:
            case wobble::EventType::KeyUp:
                FUZZ_CHECK(e.virtualKey >= 0 && e.virtualKey < wobble::KeyTable::kSize);
                keys.Press(e.virtualKey);
                break;
            case wobble::EventType::MouseCounts:
                FUZZ_CHECK(e.dx >= INT_MIN / 2 && e.dx <= INT_MAX / 2);
                FUZZ_CHECK(e.dy >= INT_MIN / 2 && e.dy <= INT_MAX / 2);
                break;
            case wobble::EventType::CursorMoved:
                FUZZ_CHECK(e.x >= INT_MIN / 2 && e.x <= INT_MAX / 2);
                FUZZ_CHECK(e.y >= INT_MIN / 2 && e.y <= INT_MAX / 2);
                pointer.Handle(e);
                break;
            case wobble::EventType::ButtonDown:
            case wobble::EventType::ButtonUp:
                FUZZ_CHECK(e.button >= 0 && e.button < wobble::kMouseButtons);
                pointer.Handle(e);
                break;
            case wobble::EventType::PadButtonDown:
            case wobble::EventType::PadButtonUp:
                FUZZ_CHECK(e.pad == wobble::kReplayedPad);
                FUZZ_CHECK(e.control >= 0 && e.control < wobble::kPadButtons);
                pad.SetButton(e.control, e.type == wobble::EventType::PadButtonDown, padKeys);
                break;
            case wobble::EventType::PadAxisMoved:
                FUZZ_CHECK(e.pad == wobble::kReplayedPad);
                FUZZ_CHECK(e.control >= 0 && e.control < wobble::kPadAxes);
                FUZZ_CHECK(e.value >= -1.0f && e.value <= 1.0f);
                pad.SetAxis(e.control, e.value, padKeys);
                FUZZ_CHECK(pad.CameraTurn() >= -wobble::Gamepad::kCameraRate &&
                           pad.CameraTurn() <= wobble::Gamepad::kCameraRate);
                break;
            case wobble::EventType::CloseRequest:
                break;
            case wobble::EventType::Drop:
                // An absolute path, as the line had it: no blanks at its
                // ends, no comment, no line break and no NUL in it.
                FUZZ_CHECK(!e.path.empty() && e.path[0] == '/');
                FUZZ_CHECK(e.path.back() != ' ' && e.path.back() != '\t' && e.path.back() != '\r');
                FUZZ_CHECK(e.path.find_first_of(std::string("#\n\0", 3)) == std::string::npos);
                break;
            default:
                FUZZ_CHECK(!"a replay holds only keys, mouse counts, cursors, buttons, pad "
                            "events, close requests and drops");
        }
    }
    std::vector<wobble::InputEvent> more;
    replay.TakeEventsOf(LLONG_MAX, more);
    FUZZ_CHECK(more.empty());
    return 0;
}
