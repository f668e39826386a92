#pragma once
// The events the main loop handles, one a turn: those the application itself
// queued (the quit of a close request), a replay's, and the window's.
// A replay's events of frame F enter the queue, in file order, once nothing
// else waits and frame F would run next, so each is handled in a turn of its
// own before that frame.

#include <deque>

#include "app/Replay.h"
#include "app/Window.h"
#include "input/InputEvent.h"

namespace wobble {

class EventQueue {
public:
    void SetReplay(Replay replay) { replay_ = std::move(replay); }
    // Ahead of the window's events.
    void Push(InputEvent event) { queued_.push_back(std::move(event)); }

    // The next event, `window`'s (null: none) after the queued ones; false
    // when none waits and frame `nextFrame` is to run.
    bool Next(Window* window, long long nextFrame, InputEvent& event);
    // The latest event came from the queue (a replay), not the window.
    bool LatestQueued() const { return latestQueued_; }

private:
    Replay replay_;
    std::deque<InputEvent> queued_;
    long long replayedFrame_ = 0;  // latest frame whose replayed events were queued
    bool latestQueued_ = false;
};

}  // namespace wobble
