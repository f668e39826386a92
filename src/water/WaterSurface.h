#pragma once
// The water: a periodic height field of vertical columns in the x-z plane,
// stepped with a damped discrete wave equation and pushed aside by the body.
//
// Cell (i, j) has i along x and j along z and is stored at the flat index
// i * cellsZ + j (row by row, j fastest). It rests at (i * spacingX, -1, j * spacingZ).
//
//        j ->  0     1     2   ...  cellsZ-1
//   i  0     [ 0     1     2   ...  ]
//   |  1     [ cz    cz+1  ...      ]          cz = cellsZ
//   v  ...
//
// The wave step wraps around (the neighbour after the last index is index 0);
// the displacement window and the drawing do not.

#include <Inventor/SbVec3f.h>

#include <vector>

namespace wobble {

class WaterSurface {
public:
    WaterSurface() = default;

    // Builds a flat grid at rest at height -1. Cell counts below 1 or spacings
    // below 1 are refused with a line on stderr, leaving the water without cells.
    // A second call replaces the arrays of the first.
    void Init(int cellsX, int cellsZ, float spacingX, float spacingZ, float radius);

    // One step of the damped wave equation with periodic neighbours.
    void Step(float dt);

    // Issues the drawing calls for the whole grid (needs a current GL context).
    void Draw() const;

    // Pushes the water inside the body sphere's footprint down to the sphere's
    // underside and spreads the removed water over the rest of the window.
    void Displace(const SbVec3f& centre);

    std::vector<SbVec3f> positions;  // x, z: fixed place in the plane; y: the height
    std::vector<SbVec3f> normals;    // per-cell drawing normal, not unit length
    std::vector<float> velocities;   // vertical velocity of each height
    int cellsX = 0;
    int cellsZ = 0;
    float spacingX = 0.0f;
    float spacingZ = 0.0f;
    float colour[4] = {0.0f, 0.0f, 0.8f, 1.0f};  // diffuse material, RGBA
    float waveFactor = 15.0f;                    // coefficient of the discrete Laplacian
    float damping = 0.01f;                       // velocity damping inside the wave step
    float radius = 0.0f;                         // radius of the sphere standing for the body
    int halfWidthX = 0;                          // displacement window half-width, in cells
    int halfWidthZ = 0;
    std::vector<int> rimCells;  // scratch: flat indices of window cells outside the footprint
    int rimCapacity = 0;
};

}  // namespace wobble
