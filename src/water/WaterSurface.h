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

#include "text/InputError.h"

namespace wobble {

class WaterSurface {
public:
    // The water's time per frame, in the program's time units.
    static constexpr float kTimeStep = 0.03f;

    WaterSurface() = default;

    // Builds a flat grid at rest at height -1 with every normal (0, 1, 0).
    // Cell counts below 1, a grid of more than INT_MAX cells, and spacings that
    // are below 1 or not finite are refused with an error saying so, leaving
    // the water without cells (Step, Displace and the drawing then do
    // nothing). A second call releases the arrays of the first.
    Status Init(int cellsX, int cellsZ, float spacingX, float spacingZ, float radius);

    // One step of the damped wave equation with periodic neighbours, then the
    // heights and the normals. Allocates nothing.
    void Step(float dt);

    // Pushes the water inside the body sphere's footprint down to the sphere's
    // underside and stops it, and spreads the removed water and the velocity
    // it had over the rest of the window, so that the water keeps its level.
    // A centre that is not finite changes nothing. Allocates nothing.
    void Displace(const SbVec3f& centre);

    // Per cell, at the flat index i * cellsZ + j; created by Init.
    std::vector<SbVec3f> positions;  // world units; x, z: fixed place in the plane; y: the height
    std::vector<SbVec3f> normals;    // drawing normal (slopeX, 1, slopeZ), not unit length
    std::vector<float> velocities;   // of the height, world units per time unit; 0 at rest

    int cellsX = 0;         // cells along x; 0 until Init succeeds
    int cellsZ = 0;         // cells along z
    float spacingX = 0.0f;  // world units between neighbouring cells along x; >= 1 once set
    float spacingZ = 0.0f;  // world units between neighbouring cells along z
    float colour[4] = {0.0f, 0.0f, 0.8f, 1.0f};  // diffuse material of the front side, RGBA
    float waveFactor = 15.0f;                    // coefficient of the discrete Laplacian
    float damping = 0.01f;                       // velocity damping, inside the Laplacian's bracket
    float radius = 0.0f;                         // world units; the sphere standing for the body
    // Displacement window half-widths in cells: radius / spacing rounded halves
    // up, saturated at the int range (a NaN radius gives 0). A radius of -1.5
    // spacings or less makes them negative and the window empty.
    int halfWidthX = 0;
    int halfWidthZ = 0;
    // Scratch for Displace: flat indices of the window cells outside the
    // footprint, in the order met; only the entries of the latest call count.
    std::vector<int> rimCells;
    // Entries of rimCells: the cells of one window, (2 * halfWidthZ + 1) x
    // (2 * halfWidthX + 1), but never more than the grid has (0 for an empty window).
    int rimCapacity = 0;

private:
    // Step's contiguous copy of the heights, sized by Init so that the step
    // allocates nothing. Outside Step it means nothing: the heights live in
    // `positions`.
    std::vector<float> heightScratch_;
};

}  // namespace wobble
