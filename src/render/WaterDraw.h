#pragma once

namespace wobble {

class WaterSurface;

// Draws the whole grid as lit triangles from its position and normal arrays,
// each vertex with its cell's normal; leaves GL_LIGHTING disabled and the
// current colour blue. A water without cells draws nothing. The triangles'
// indices are built on the first frame of a grid size; later frames
// allocate nothing.
void DrawWater(const WaterSurface& water);

}  // namespace wobble
