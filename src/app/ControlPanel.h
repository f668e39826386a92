#pragma once
// What the application asks of the panel over the picture, which each
// platform provides: the desktop's is Dear ImGui's (app/Panel.h), drawn
// through render/. The panel shows the run and the scene, and its buttons ask
// for what keys ask for: their intents join the keys' in the one route of
// the application's loop.

#include "input/KeyBindings.h"
#include "input/Pointer.h"
#include "render/DisplaySettings.h"
#include "render/FrameRenderer.h"

namespace wobble {

class Scene;
struct StatusPanel;
class Window;

// What the panel shows of the application.
struct PanelState {
    int cameraMode = 0;
    bool surfaceView = true;
    bool paused = false;
    bool recording = false;
    const char* gamepad = nullptr;  // the steering pad's name; null without one
};

class ControlPanel {
public:
    virtual ~ControlPanel() = default;

    // Tab and F1: the panel, and its compact view.
    virtual void ToggleFull(Window& window) = 0;
    virtual void ToggleCompact(Window& window) = 0;
    // The status of a drop's build at the bottom of the window, from this
    // frame on, while it has something to say. `status` outlives the panel's use.
    virtual void ShowStatus(Window& window, const StatusPanel& status) = 0;
    // Ends the panel while the window still exists.
    virtual void Stop() = 0;

    // One frame's wall-clock time and the times of its parts, for the rates shown.
    virtual void RecordFrame(double frameMilliseconds, const FrameTimings& frame) = 0;
    // Lays out this frame's panel, with the cursor and buttons of `pointer`
    // (window pixels); sliders tune `scene` at once. Returns what its buttons
    // asked for, as the intents of the keys that do the same.
    virtual KeyIntents Build(Window& window, const Pointer& pointer, Scene& scene,
                             const PanelState& state, const DisplaySettings& display) = 0;
    // The mouse is the panel's in this frame, not the camera's or the hands'.
    virtual bool TakesMouse() const = 0;
    // Draws the panel built over the picture; `scene`, as this frame left it,
    // feeds the plots.
    virtual void Draw(const Scene& scene) = 0;
};

}  // namespace wobble
