#pragma once
// Helpers for the scene builder's tests: surfaces placed as the tool places
// them, and checks of a tetrahedral cage's soundness.

#include <gtest/gtest.h>

#include <string>

#include "builder/ModelFile.h"
#include "builder/PlacedSurface.h"
#include "builder/VoxelCage.h"
#include "builder/WindingNumberTree.h"

namespace wobble::test {

// Parses `objText` and places it with the given size; fails the test if either refuses.
builder::PlacedSurface PlaceShape(const std::string& objText, double size = 40.0);

// Signed volume of tetra t of the cage, from its float positions.
double TetraVolume(const builder::VoxelCage& cage, int t);

// Number of face-connected pieces of the cage's tetras.
int ConnectedPieces(const builder::VoxelCage& cage);

// Number of tetra faces that more than two tetras share, and number of edges
// of the boundary (faces of one tetra only) not shared by exactly two
// boundary faces. Both are 0 for a cage whose cells fit together.
void CountNonManifold(const builder::VoxelCage& cage, int& crowdedFaces, int& openBoundaryEdges);

}  // namespace wobble::test
