#pragma once
// Generated tetrahedral models for tests and benchmarks: a box of cubes, each
// cut into six tetras around its main diagonal, as a model in memory or
// written in the model file format.

#include <string>

#include "softbody/SoftBody.h"

namespace wobble::test {

struct LatticeModel {
    int cubesX = 1, cubesY = 1, cubesZ = 1;
    float spacing = 1.0f;
    float originX = 0.0f, originY = 0.0f, originZ = 0.0f;

    int VertexCount() const { return (cubesX + 1) * (cubesY + 1) * (cubesZ + 1); }
    int TetraCount() const { return 6 * cubesX * cubesY * cubesZ; }
    int VertexIndex(int i, int j, int k) const { return (i * (cubesY + 1) + j) * (cubesZ + 1) + k; }
    // The distinct tetra edges: 3 axis directions, 3 face diagonals and the main diagonal.
    long long EdgeCount() const;
    // The model as the file reader would return it.
    TetModel Model() const;
    // The whole model file.
    std::string Text() const;
};

}  // namespace wobble::test
