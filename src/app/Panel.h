#pragma once
// The live panel (Tab) and its compact view (F1, where the overlay used to
// be), drawn with Dear ImGui:
//
//   the run       frame rate; step, water, surface and drawing times
//   the body      particles, tetras, springs, surface triangles; thrusts
//   the view      camera mode; surface or wireframe
//   buttons       pause, single step, reset, screenshot, recording
//   sliders       stiffness and mass beside the stability meter, thrust
//                 cap, pump growth, the body's and the water's time
//                 steps, grab strength; each takes effect at once
//   plots         the last five seconds of the body's speed, its kinetic
//                 energy and the water's total height
//
// The compact view shows the run, the body, the view and the keys, and
// takes no input. Both are hidden at start; while neither shows nothing of
// them runs, so such a frame is exactly the plain frame.

#include "app/ControlPanel.h"
#include "app/FrameAverages.h"
#include "app/PlotHistory.h"

struct ImGuiContext;

namespace wobble {

struct SceneMeasures;

// The name of a camera mode 0..4, "?" for another.
const char* CameraModeName(int mode);

class Panel : public ControlPanel {
public:
    Panel() = default;
    ~Panel() override;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Tab and F1. The first showing starts Dear ImGui and its back ends on
    // the window (its GL context current).
    void ToggleFull(Window& window) override;
    void ToggleCompact(Window& window) override;
    bool Shown() const { return full || compact || status_ != nullptr; }
    // The status of a drop's build at the bottom of the window, from this
    // frame on, while it has something to say (the first starts Dear ImGui).
    void ShowStatus(Window& window, const StatusPanel& status) override;
    // Ends Dear ImGui, while the window and its context still exist.
    void Stop() override;

    // Folds one frame's timings into the running averages shown.
    void RecordFrame(double frameMilliseconds, const FrameTimings& frame) override;
    // One frame's measures for the plots.
    void RecordMeasures(const SceneMeasures& measures);

    // Begins the panel's frame, with the cursor and buttons of `pointer`
    // (window pixels), and lays out its widgets; sliders tune `scene` at
    // once. Returns what its buttons asked for, as the intents of the keys
    // that do the same (view, pause, step, reset, screenshot, recording).
    // Does nothing while hidden.
    KeyIntents Build(Window& window, const Pointer& pointer, Scene& scene, const PanelState& state,
                     const DisplaySettings& display) override;
    // The cursor is over the panel or dragging one of its widgets: the mouse
    // is the panel's in this frame, not the camera's or the hands'.
    bool TakesMouse() const override { return built_ && takesMouse_; }
    // Draws the frame built, over the picture; while the panel shows, the
    // scene's measures go to the plots first.
    void Draw(const Scene& scene) override;

    bool full = false;     // the panel
    bool compact = false;  // the compact view
    FrameAverages averages;

private:
    void Start(Window& window);
    // What the panel shows: the application's state and the frame rates.
    struct Readings {
        PanelState state;
        double framesPerSecond = 0.0;
        FrameTimings timings;  // smoothed
    };
    // The frame rate and the times of a frame's parts, in three lines of
    // these formats (the compact view's and the panel's differ).
    struct TimingFormats {
        const char* rate;     // frames a second, milliseconds a frame
        const char* steps;    // the body's and the water's step
        const char* surface;  // the surface, the drawing
    };
    static void TimingLines(const Readings& shown, const TimingFormats& formats);
    void BuildFull(Scene& scene, const Readings& shown, KeyIntents& asked, float top, float right);
    void BuildCompact(const Scene& scene, const Readings& shown, float top, float left);
    void BuildStatus(const DisplaySettings& display, float bottom);

    Window* window_ = nullptr;         // while started
    ImGuiContext* context_ = nullptr;  // the panel's own, made current for each use
    bool built_ = false;               // a frame is built and not yet drawn
    bool takesMouse_ = false;
    const StatusPanel* status_ = nullptr;  // this frame's, when it has something to say
    PlotHistory speed_;
    PlotHistory energy_;
    PlotHistory water_;
};

}  // namespace wobble
