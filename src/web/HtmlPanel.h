#pragma once
// The page's panel: Tab's panel and F1's compact view as HTML beside the
// canvas (web/page/wobble.js lays them out), with the desktop panel's
// readings, buttons, sliders, stability meter and plots, and a drop's status.
// Each frame sends the readings to the page and takes back what its buttons
// and sliders did since.

#include "app/ControlPanel.h"
#include "app/FrameAverages.h"

namespace wobble {

class HtmlPanel : public ControlPanel {
public:
    void ToggleFull(Window& window) override;
    void ToggleCompact(Window& window) override;
    void ShowStatus(Window& window, const StatusPanel& status) override;
    void Stop() override {}
    void RecordFrame(double frameMilliseconds, const FrameTimings& frame) override;
    KeyIntents Build(Window& window, const Pointer& pointer, Scene& scene, const PanelState& state,
                     const DisplaySettings& display) override;
    // The panel sits beside the picture: the mouse over the canvas is never its.
    bool TakesMouse() const override { return false; }
    void Draw(const Scene& scene) override;

private:
    const StatusPanel* status_ = nullptr;
    bool full_ = false;
    bool compact_ = false;
    FrameAverages averages_;
};

}  // namespace wobble
