#pragma once
// The seams of a run with nothing to show: no window, no picture, no panel.
// The application's loop runs as on the desktop, so a replay steps, aims the
// camera and dumps exactly as the desktop's does; nothing is drawn. Node's
// run of the WebAssembly build (src/web) and the step's timing use them, and
// the tests' fakes build on them.

#include "app/Application.h"

namespace wobble {

// Events come only from a replay, and the mouse moves only through it.
class HeadlessWindow : public Window {
public:
    bool Create(const DisplaySettings&) override { return true; }
    void Release() override {}
    bool PollEvent(InputEvent&) override { return false; }
    void SwapBuffers() override {}
    void SetFullscreen(bool, const FullscreenMode&) override {}
    MouseDevice* Mouse() override { return nullptr; }
    void ShowMessage(const char* caption, const char* text, MessageIcon) override;
    bool IsHeadless() const override { return true; }
};

// Draws nothing; a picture read back is black.
class NoDrawing : public Drawing {
public:
    void Setup(const DisplaySettings&) override {}
    void Prepare() override {}
    double DrawScene(const Scene&, const CameraView&, bool, SurfaceRefresh) override { return 0.0; }
    void DrawCrosshair(const DisplaySettings&, float, float) override {}
    void DrawRecordingDot(const DisplaySettings&) override {}
    void ReadFrame(Image& image, const DisplaySettings& display, bool) override;
};

// Shows nothing and asks for nothing.
class NoPanel : public ControlPanel {
public:
    void ToggleFull(Window&) override {}
    void ToggleCompact(Window&) override {}
    void ShowStatus(Window&, const StatusPanel&) override {}
    void Stop() override {}
    void RecordFrame(double, const FrameTimings&) override {}
    KeyIntents Build(Window&, const Pointer&, Scene&, const PanelState&,
                     const DisplaySettings&) override {
        return KeyIntents();
    }
    bool TakesMouse() const override { return false; }
    void Draw(const Scene&) override {}
};

Seams HeadlessSeams();

}  // namespace wobble
