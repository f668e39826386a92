#pragma once
// Generated tetrahedral models for tests and benchmarks: a box of cubes, each
// cut into six tetras around its main diagonal, written in the model file format.

#include <string>

namespace wobble::test {

struct LatticeModel {
    int cubesX = 1, cubesY = 1, cubesZ = 1;
    float spacing = 1.0f;
    float originX = 0.0f, originY = 0.0f, originZ = 0.0f;

    int VertexCount() const { return (cubesX + 1) * (cubesY + 1) * (cubesZ + 1); }
    int TetraCount() const { return 6 * cubesX * cubesY * cubesZ; }
    int VertexIndex(int i, int j, int k) const { return (i * (cubesY + 1) + j) * (cubesZ + 1) + k; }
    // The whole model file.
    std::string Text() const;
};

}  // namespace wobble::test
