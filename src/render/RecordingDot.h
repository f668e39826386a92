#pragma once
// The red dot in the window's top-right corner while a video is being
// recorded. It is drawn over the finished frame after the recording has read
// it, so a video never shows it.

#include "render/DisplaySettings.h"

namespace wobble {

// Where the dot sits and how big it is, in window pixels from the top-right corner.
constexpr float kRecordingDotRadius = 9.0f;
constexpr float kRecordingDotInset = 20.0f;  // from the right and from the top to its centre

// Draws the dot, leaving the GL state as it found it.
void DrawRecordingDot(const DisplaySettings& display);

}  // namespace wobble
