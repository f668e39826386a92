#pragma once
// The gamepads SDL's game controller API knows, opened as they are attached
// (those present at start-up arrive the same way) and closed as they go. Their
// events become the application's, with SDL's numbers of buttons and axes.

#include <SDL2/SDL.h>

#include "input/InputEvent.h"

namespace wobble {

class SdlGamepads {
public:
    // `inBackground`: pads act while no window of ours has the focus (a
    // headless run's hidden window never has it).
    explicit SdlGamepads(bool inBackground);
    ~SdlGamepads();
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // Translates `e` if it is a game controller's event: true then, with
    // `out` set (or left an Other event when there is nothing to say, such
    // as a device SDL cannot open).
    bool Translate(const SDL_Event& e, InputEvent& out);

private:
    static constexpr int kMaxOpen = 8;
    void Close(SDL_JoystickID id);

    bool started_ = false;
    SDL_GameController* open_[kMaxOpen] = {};
};

}  // namespace wobble
