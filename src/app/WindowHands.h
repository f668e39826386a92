#pragma once
// The mouse's hands in the window: the cursor and buttons as the window and
// a replay report them, and what the left button does with them once a frame
// (controls/MouseHands.h): a press grabs the body or pokes the water where the
// latest picture showed them, the held button pulls, the release lets go.

#include "app/Window.h"
#include "camera/Camera.h"
#include "controls/MouseHands.h"
#include "input/InputEvent.h"
#include "input/Pointer.h"
#include "render/DisplaySettings.h"
#include "scene/Scene.h"

namespace wobble {

class WindowHands {
public:
    // A cursor move or a button.
    void Handle(const InputEvent& event) { pointer_.Handle(event); }
    const Pointer& pointer() const { return pointer_; }

    // The frame's left button: `seen` is the view of the latest picture,
    // `panelTakesMouse` keeps presses from the scene. Ends the pointer's frame.
    void Use(Scene& scene, const CameraView& seen, const Window& window,
             const DisplaySettings& display, bool panelTakesMouse, bool surfaceView,
             bool simulating);

    bool Holding() const { return hands_.Holding(); }
    // The view the picture holds still in while a grab holds.
    CameraView HeldView() const { return hands_.HeldView(); }
    void Release(Scene& scene) { hands_.Release(scene); }

    // Where the cursor is, in the viewport's pixels.
    float ViewportX(const Window& window, const DisplaySettings& display) const;
    float ViewportY(const Window& window, const DisplaySettings& display) const;

private:
    Pointer pointer_;
    MouseHands hands_;
};

}  // namespace wobble
