#pragma once

#include <vector>

namespace wobble {

class WaterSurface;

// Draws the whole grid as lit triangles from its position and normal arrays,
// each vertex with its cell's normal; leaves GL_LIGHTING disabled and the
// current colour blue. A water without cells draws nothing. The triangles'
// indices are built on the first frame of a grid size; later frames
// allocate nothing.
void DrawWater(const WaterSurface& water);

// The grid's triangles as indices of their corner cells, six per cell in the
// order DrawWater draws them; built for the first call of a grid size and
// kept.
const std::vector<unsigned>& WaterGridTriangles(int cellsX, int cellsZ);

}  // namespace wobble
