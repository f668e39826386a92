#include "app/EventQueue.h"

namespace wobble {

bool EventQueue::Next(Window* window, long long nextFrame, InputEvent& event) {
    if (!queued_.empty()) {
        event = std::move(queued_.front());
        queued_.pop_front();
        latestQueued_ = true;
        return true;
    }
    if (window != nullptr && window->PollEvent(event)) {
        latestQueued_ = false;
        return true;
    }
    // Nothing waits, so the next frame would run: its replayed events enter
    // the queue first.
    if (replayedFrame_ < nextFrame) {
        replayedFrame_ = nextFrame;
        replay_.TakeEventsOf(nextFrame, queued_);
        return Next(window, nextFrame, event);
    }
    return false;
}

}  // namespace wobble
