#pragma once
// A panel at the bottom of the window for what happens beside the scene: the
// build of a dropped model (its name, its stage and a progress bar) and,
// afterwards, why a dropped file could not be run. It is drawn only while
// there is something to say, so a frame without it is the plain frame.

#include <string>

#include "render/DisplaySettings.h"

namespace wobble {

struct StatusPanel {
    static constexpr int kMaxLines = 6;

    std::string lines[kMaxLines];  // top first; shown in the font's capitals
    int lineCount = 0;
    float barFraction = -1.0f;  // 0 to 1 fills the bar; below 0: no bar
    bool isError = false;       // a refusal: the panel has a red edge
};

// Pixels of the panel's layout, from the window's edges.
constexpr float kStatusPanelInset = 20.0f;   // from the left, right and bottom edges
constexpr float kStatusPanelMargin = 10.0f;  // inside the panel, around its text
constexpr float kStatusTextScale = 2.0f;     // window pixels per font pixel
constexpr float kStatusBarHeight = 14.0f;

// The characters a line holds in the window; longer lines are cut short.
int StatusPanelColumns(const DisplaySettings& display);

// Draws the panel if it has lines or a bar, leaving the GL state as it found it.
void DrawStatusPanel(const StatusPanel& panel, const DisplaySettings& display);

}  // namespace wobble
