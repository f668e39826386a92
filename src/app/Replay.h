#pragma once
// Input events read from a file and fed to the main loop as if they came
// from the devices:
//
//   # comment; blank lines are ignored
//   <frame> down <key>       <frame> up <key>
//   <frame> mouse <dx> <dy>  <frame> close
//   <frame> cursor <x> <y>   <frame> button left|middle|right down|up
//   <frame> drop <path>      (the rest of the line, relative to the replay
//                            file's folder; what a drop on the window does)
//   <frame> pad button <name> down|up   <frame> pad axis <name> <value>
//                            (the steering gamepad; SDL's names of buttons
//                            and axes, values -1 to 1)
//
// The events of frame F enter the event queue, in file order, before frame F
// runs. Keys: Up Down Left Right Escape W S A D C M Z B T F5 F11 KP2 P O R F1
// F9 F12 Tab, or a virtual-key code written 0xNN. The cursor is placed in
// window pixels from the top-left corner; a button acts where it is.

#include <string>
#include <vector>

#include "input/InputEvent.h"
#include "text/InputError.h"

namespace wobble {

struct ReplayEvent {
    long long frame = 0;  // from 1
    InputEvent event;
};

class Replay {
public:
    // Reads the file; a malformed line refuses the whole file, the error
    // naming the file and line. A refused file leaves no events.
    Status Load(const std::string& path);
    // Appends the events of `frame` to `out`, in file order.
    template <typename Queue>
    void TakeEventsOf(long long frame, Queue& out) {
        while (next_ < events_.size() && events_[next_].frame <= frame) {
            out.push_back(events_[next_++].event);
        }
    }
    bool empty() const { return events_.empty(); }

private:
    std::vector<ReplayEvent> events_;
    size_t next_ = 0;
};

// The virtual-key code of a key name of the replay format; -1 if unknown.
int KeyCodeFromName(const std::string& name);

}  // namespace wobble
