#pragma once

namespace wobble {

class WaterSurface;

// Draws the whole grid as lit triangles in one glBegin/glEnd, each vertex
// with its cell's normal; leaves GL_LIGHTING disabled. A water without cells
// draws nothing.
void DrawWater(const WaterSurface& water);

}  // namespace wobble
