#include "app/WindowHands.h"

namespace wobble {

namespace {

// The viewport keeps the display's size at the window's bottom-left corner:
// in a taller window its top row is lower down.
float ToViewportY(int windowY, const Window& window, const DisplaySettings& display) {
    int width = 0, height = 0;
    window.Size(width, height);
    const int below = height > 0 ? height - display.height : 0;
    return static_cast<float>(windowY - below);
}

}  // namespace

void WindowHands::Use(Scene& scene, const CameraView& seen, const Window& window,
                      const DisplaySettings& display, bool panelTakesMouse, bool surfaceView,
                      bool simulating) {
    if (pointer_.pressed[kLeftButton] && !panelTakesMouse) {
        // What the user saw when pressing, at the place the button went down.
        hands_.Press(
            scene, seen, display.PickLens(), static_cast<float>(pointer_.pressX[kLeftButton]),
            ToViewportY(pointer_.pressY[kLeftButton], window, display), surfaceView, simulating);
    }
    if (hands_.Holding()) {
        if (pointer_.down[kLeftButton])
            hands_.Drag(scene, ViewportX(window, display), ViewportY(window, display));
        else
            hands_.Release(scene);
    }
    pointer_.EndFrame();
}

float WindowHands::ViewportX(const Window&, const DisplaySettings&) const {
    return static_cast<float>(pointer_.x);
}

float WindowHands::ViewportY(const Window& window, const DisplaySettings& display) const {
    return ToViewportY(pointer_.y, window, display);
}

}  // namespace wobble
