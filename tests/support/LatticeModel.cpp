#include "LatticeModel.h"

#include <cstdio>

namespace wobble::test {

long long LatticeModel::EdgeCount() const {
    const long long x = cubesX, y = cubesY, z = cubesZ;
    const long long axes = x * (y + 1) * (z + 1) + (x + 1) * y * (z + 1) + (x + 1) * (y + 1) * z;
    const long long faces = x * y * (z + 1) + x * (y + 1) * z + (x + 1) * y * z;
    return axes + faces + x * y * z;
}

TetModel LatticeModel::Model() const {
    TetModel model;
    model.vertices.reserve(static_cast<size_t>(VertexCount()));
    for (int i = 0; i <= cubesX; ++i) {
        for (int j = 0; j <= cubesY; ++j) {
            for (int k = 0; k <= cubesZ; ++k) {
                model.vertices.emplace_back(originX + i * spacing, originY + j * spacing,
                                            originZ + k * spacing);
            }
        }
    }
    // The six paths from corner (0,0,0) to (1,1,1) that step along one axis at a time.
    static const int kAxisOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                          {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    model.tetras.reserve(static_cast<size_t>(TetraCount()));
    for (int i = 0; i < cubesX; ++i) {
        for (int j = 0; j < cubesY; ++j) {
            for (int k = 0; k < cubesZ; ++k) {
                for (const auto& order : kAxisOrders) {
                    int at[3] = {i, j, k};
                    std::array<int, 4> corner;
                    corner[0] = VertexIndex(at[0], at[1], at[2]);
                    for (int step = 0; step < 3; ++step) {
                        ++at[order[step]];
                        corner[step + 1] = VertexIndex(at[0], at[1], at[2]);
                    }
                    model.tetras.push_back(corner);
                }
            }
        }
    }
    return model;
}

std::string LatticeModel::Text() const {
    const TetModel model = Model();
    std::string text = "tet version 1.0\nnum_materials 1\n";
    text += "num_vertices " + std::to_string(model.vertices.size()) + "\n";
    text += "num_tetras " + std::to_string(model.tetras.size()) + "\nnum_triangles 0\n";
    text += "MATERIALS\n0\nVERTICES\n";
    char line[128];
    for (const SbVec3f& v : model.vertices) {
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", v[0], v[1], v[2]);
        text += line;
    }
    text += "TETRAS\n";
    for (const auto& t : model.tetras) {
        std::snprintf(line, sizeof line, "%d %d %d %d 0\n", t[0], t[1], t[2], t[3]);
        text += line;
    }
    text += "TRIANGLES\n";
    return text;
}

}  // namespace wobble::test
