#pragma once
// What happens beside the scene, shown at the bottom of the window by the
// panel (app/Panel.h): the build of a dropped model (its name, its stage and
// a progress bar) and, afterwards, why a dropped file could not be run. It
// shows only while there is something to say, so a frame without it is the
// plain frame.

#include <string>

#include "render/DisplaySettings.h"

namespace wobble {

struct StatusPanel {
    static constexpr int kMaxLines = 6;

    bool Empty() const { return lineCount <= 0 && barFraction < 0.0f; }

    std::string lines[kMaxLines];  // top first
    int lineCount = 0;
    float barFraction = -1.0f;  // 0 to 1 fills the bar; below 0: no bar
    bool isError = false;       // a refusal: its text in red
};

// Pixels of the status window's place: from the window's left, right and
// bottom edges.
constexpr float kStatusPanelInset = 20.0f;

// The characters a line holds across the window (the panel's font is 7
// pixels a character); a longer text is wrapped into several lines.
inline int StatusPanelColumns(const DisplaySettings& display) {
    const int columns = static_cast<int>((display.width - 2 * kStatusPanelInset - 20.0f) / 7.0f);
    return columns > 1 ? columns : 1;
}

}  // namespace wobble
