#include "platform/SdlGamepads.h"

#include <cstdio>

#include "input/Gamepad.h"

namespace wobble {

// The application numbers buttons and axes as SDL does.
constexpr bool Same(int ours, int sdls) {
    return ours == sdls;
}
static_assert(Same(kPadA, SDL_CONTROLLER_BUTTON_A) &&
              Same(kPadStart, SDL_CONTROLLER_BUTTON_START) &&
              Same(kPadDpadRight, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) &&
              Same(kPadButtons, SDL_CONTROLLER_BUTTON_MAX));
static_assert(Same(kPadLeftX, SDL_CONTROLLER_AXIS_LEFTX) &&
              Same(kPadRightY, SDL_CONTROLLER_AXIS_RIGHTY) &&
              Same(kPadRightTrigger, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) &&
              Same(kPadAxes, SDL_CONTROLLER_AXIS_MAX));

SdlGamepads::SdlGamepads(bool inBackground) {
    if (inBackground)
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Without the subsystem (no joystick support where SDL runs) the program
    // simply has no pads.
    started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

SdlGamepads::~SdlGamepads() {
    for (SDL_GameController*& c : open_) {
        if (c != nullptr)
            SDL_GameControllerClose(c);
        c = nullptr;
    }
    if (started_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlGamepads::Close(SDL_JoystickID id) {
    for (SDL_GameController*& c : open_) {
        if (c != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id) {
            SDL_GameControllerClose(c);
            c = nullptr;
        }
    }
}

bool SdlGamepads::Translate(const SDL_Event& e, InputEvent& out) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            // The event names a device index; from here on the pad is known
            // by its instance id.
            for (SDL_GameController*& c : open_) {
                if (c != nullptr)
                    continue;
                c = SDL_GameControllerOpen(e.cdevice.which);
                if (c == nullptr)
                    return true;
                const char* name = SDL_GameControllerName(c);
                out.type = EventType::PadAttached;
                out.pad = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
                out.name = name != nullptr ? name : "unnamed gamepad";
                return true;
            }
            return true;  // more pads than anyone steers with
        }
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(e.cdevice.which);
            out.type = EventType::PadDetached;
            out.pad = e.cdevice.which;
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            out.type = e.type == SDL_CONTROLLERBUTTONDOWN ? EventType::PadButtonDown
                                                          : EventType::PadButtonUp;
            out.pad = e.cbutton.which;
            out.control = e.cbutton.button;
            return true;
        case SDL_CONTROLLERAXISMOTION:
            out.type = EventType::PadAxisMoved;
            out.pad = e.caxis.which;
            out.control = e.caxis.axis;
            // -32768 reads as a little past full deflection; the pad clamps it.
            out.value = static_cast<float>(e.caxis.value) / 32767.0f;
            return true;
        default:
            return false;
    }
}

}  // namespace wobble
