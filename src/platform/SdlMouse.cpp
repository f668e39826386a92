#include "platform/SdlMouse.h"

#include "math/Saturate.h"

namespace wobble {

namespace {

constexpr uint8_t kButtonDown = 0x80;

// Slot of an SDL button in the DirectInput order: left, right, middle, fourth;
// -1 for buttons beyond the four.
int ButtonSlot(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT:
            return 0;
        case SDL_BUTTON_RIGHT:
            return 1;
        case SDL_BUTTON_MIDDLE:
            return 2;
        case SDL_BUTTON_X1:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

SdlMouse::SdlMouse(SDL_Window* window) {
    if (window == nullptr)
        return;
    windowId = SDL_GetWindowID(window);
    focused = (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlMouse::HandleEvent(const SDL_Event& event) {
    if (windowId == 0)
        return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            if (event.window.windowID != windowId)
                return;
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                focused = true;
            } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                // Releases made while another window has the focus never
                // reach us, so nothing is held from here on.
                focused = false;
                motionX = motionY = wheel = 0;
                for (uint8_t& b : buttons)
                    b = 0;
            }
            return;
        case SDL_MOUSEMOTION:
            if (event.motion.windowID != windowId || !focused)
                return;
            motionX = SaturateToInt(motionX + static_cast<long long>(event.motion.xrel));
            motionY = SaturateToInt(motionY + static_cast<long long>(event.motion.yrel));
            return;
        case SDL_MOUSEWHEEL: {
            if (event.wheel.windowID != windowId || !focused)
                return;
            long long notches = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                notches = -notches;
            // Motion piles up only between two reads, but a program that stops
            // reading must not overflow: the sums saturate.
            wheel = SaturateToInt(wheel + notches * kWheelCountsPerNotch);
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (event.button.windowID != windowId)
                return;
            const int slot = ButtonSlot(event.button.button);
            if (slot < 0)
                return;
            buttons[slot] = event.type == SDL_MOUSEBUTTONDOWN ? kButtonDown : 0;
            return;
        }
        default:
            return;
    }
}

bool SdlMouse::Read(MouseState& state) {
    const bool ok = focused;
    if (ok) {
        state.lX = motionX;
        state.lY = motionY;
        state.lZ = wheel;
        for (int i = 0; i < 4; ++i)
            state.rgbButtons[i] = buttons[i];
    }
    motionX = motionY = wheel = 0;
    return ok;
}

}  // namespace wobble
