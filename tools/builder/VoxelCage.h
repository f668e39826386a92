#pragma once
// The coarse tetrahedral cage that carries the surface. The surface's bounding
// box is covered with a grid of cubic cells; a cell joins the cage when the
// surface touches it or when it lies inside: either walled in (a flood from
// outside through untouched cells cannot reach it) or inside by the winding
// number (which still works where holes let the flood in). Loose parts of the
// model are joined to the largest by bridges of cells, so the whole body
// moves as one; loose single cells are dropped. Every cell is cut into six
// tetras around its main diagonal, the same way in every cell, so that
// neighbouring cells share their faces' triangles:
//
//          6-------7          the six tetras of a cell all run from corner 0
//         /|      /|          (i, j, k) to corner 7 (i+1, j+1, k+1), stepping
//        2-------3 |          along the axes in one of the six orders:
//        | 4-----|-5          0-1-3-7, 0-1-5-7, 0-2-3-7, 0-2-6-7, 0-4-5-7, 0-4-6-7
//        |/      |/           (corner bits: 1 = +x to the right, 2 = +y up,
//        0-------1             4 = +z into the page)
//
// Corners are ordered so that every tetra has positive volume. The springs of
// such a cage are its distinct tetra edges: the cell edges, one diagonal per
// face and the main diagonal, about 7 per cell inside a block plus the boundary.

#include <Inventor/SbVec3d.h>
#include <Inventor/SbVec3f.h>

#include <array>
#include <cstdint>
#include <vector>

#include "builder/PlacedSurface.h"
#include "builder/WindingNumberTree.h"

namespace wobble::builder {

class VoxelCage {
public:
    enum CellKind : uint8_t {
        kEmpty = 0,
        kSurface = 1,   // the surface touches the cell
        kEnclosed = 2,  // untouched, but walled in by surface cells
        kWinding = 3,   // untouched and reachable from outside, but inside by the winding number
        kBridge = 4,    // joins a loose part to the rest
    };
    // A grid larger than this is not built, whatever the spring budget allows.
    static constexpr long long kMaxGridCells = 4'000'000;

    // Builds the cage with `cellsAlongLongest` cells along the surface's longest side.
    void Build(const PlacedSurface& surface, const WindingNumberTree& winding,
               int cellsAlongLongest);

    // Builds the finest cage whose springs stay within `maxSprings`. False
    // when even the coarsest cage (one cell along the longest side) has more.
    bool BuildWithinBudget(const PlacedSurface& surface, const WindingNumberTree& winding,
                           int maxSprings);

    // The finest resolution whose grid stays within kMaxGridCells.
    static int FinestResolution(const SbVec3d& extent);

    // Numbers the tetras and vertices anew along a space-filling curve: cells
    // in the order of their Morton code (bits of i, j and k interleaved), each
    // cell's six tetras together, each vertex numbered where a tetra first
    // uses it. Neighbours in the body then lie near each other in memory,
    // which a big body's step, bound by memory traffic, needs; the grid order
    // puts a cell's neighbours along x a whole slab of the grid away.
    void OrderAlongCurve();

    // The mean winding number over up to `samples` inside cells (walled in or
    // inside by winding number), spread evenly over them; 0 without any. Near
    // -1 when the surface's faces run clockwise seen from outside.
    double MeanInsideWinding(const WindingNumberTree& winding, int samples) const;

    int CellIndex(int i, int j, int k) const { return (i * cellsY + j) * cellsZ + k; }
    SbVec3d CellCentre(int i, int j, int k) const {
        return origin + cellSize * SbVec3d(i + 0.5, j + 0.5, k + 0.5);
    }
    int KeptCellCount() const;

    // The grid.
    int resolution = 0;  // cells along the surface's longest side
    int cellsX = 0, cellsY = 0, cellsZ = 0;
    double cellSize = 0.0;
    SbVec3d origin{0, 0, 0};     // corner of cell (0, 0, 0)
    std::vector<uint8_t> cells;  // CellKind per cell, at CellIndex

    // What became of the cells.
    int surfaceCells = 0;
    int enclosedCells = 0;
    int windingCells = 0;
    int bridgeCells = 0;
    int droppedCells = 0;  // loose single cells left out
    int partCount = 0;     // face-connected parts before joining
    int resolutionsTried = 0;

    // The tetrahedral model.
    std::vector<SbVec3f> vertices;
    std::vector<std::array<int, 4>> tetras;
    int springCount = 0;

private:
    void MarkSurfaceCells(const PlacedSurface& surface);
    void FillInside(const WindingNumberTree& winding);
    void JoinParts();
    // Tetras cell by cell, in grid order or along the curve.
    void MakeTetras(bool alongCurve);
};

}  // namespace wobble::builder
