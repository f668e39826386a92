#pragma once
// What the mouse's hands add to the picture: the pull as a white line from
// the held particle to the point it is pulled towards, and, where the
// cursor is hidden (fullscreen), a small crosshair where a grab would land.

#include <Inventor/SbVec3f.h>

#include "render/DisplaySettings.h"

namespace wobble {

// The crosshair's half-width in pixels.
constexpr float kCrosshairSize = 7.0f;

// Draws the pull over the scene just drawn, under the same camera matrix,
// in front of everything; leaves the GL state as it found it.
void DrawPullLine(const SbVec3f& from, const SbVec3f& to);

// Draws the crosshair centred on pixel (x, y) of the viewport (from its
// top-left corner); leaves the GL state as it found it.
void DrawCrosshair(const DisplaySettings& display, float x, float y);

}  // namespace wobble
