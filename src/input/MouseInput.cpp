#include "input/MouseInput.h"

namespace wobble {

void MouseInput::SetWindow(MouseDevice* windowMouse) {
    device = windowMouse;
}

void MouseInput::Initialize() {
    if (device == nullptr)
        return;
    MouseState discarded;
    device->Read(discarded);
}

void MouseInput::Update() {
    // Read into a scratch record: a device that fails part-way must not leave
    // half a state behind.
    MouseState read;
    if (device == nullptr || !device->Read(read)) {
        dx = 0.0f;
        dy = 0.0f;
        return;
    }
    state = read;
    // The wheel (lZ) turns nothing.
    dx = static_cast<float>(state.lX) * sensitivityX;
    dy = static_cast<float>(state.lY) * sensitivityY;
    for (int i = 0; i < 4; ++i)
        buttons[i] = state.rgbButtons[i];
}

}  // namespace wobble
