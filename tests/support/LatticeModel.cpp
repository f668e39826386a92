#include "LatticeModel.h"

#include <cstdio>

namespace wobble::test {

std::string LatticeModel::Text() const {
    std::string text = "tet version 1.0\nnum_materials 1\n";
    text += "num_vertices " + std::to_string(VertexCount()) + "\n";
    text += "num_tetras " + std::to_string(TetraCount()) + "\nnum_triangles 0\n";
    text += "MATERIALS\n0\nVERTICES\n";
    char line[128];
    for (int i = 0; i <= cubesX; ++i) {
        for (int j = 0; j <= cubesY; ++j) {
            for (int k = 0; k <= cubesZ; ++k) {
                std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", originX + i * spacing,
                              originY + j * spacing, originZ + k * spacing);
                text += line;
            }
        }
    }
    text += "TETRAS\n";
    // The six paths from corner (0,0,0) to (1,1,1) that step along one axis at a time.
    static const int kAxisOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                          {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (int i = 0; i < cubesX; ++i) {
        for (int j = 0; j < cubesY; ++j) {
            for (int k = 0; k < cubesZ; ++k) {
                for (const auto& order : kAxisOrders) {
                    int at[3] = {i, j, k};
                    int corner[4];
                    corner[0] = VertexIndex(at[0], at[1], at[2]);
                    for (int step = 0; step < 3; ++step) {
                        ++at[order[step]];
                        corner[step + 1] = VertexIndex(at[0], at[1], at[2]);
                    }
                    std::snprintf(line, sizeof line, "%d %d %d %d 0\n", corner[0], corner[1],
                                  corner[2], corner[3]);
                    text += line;
                }
            }
        }
    }
    text += "TRIANGLES\n";
    return text;
}

}  // namespace wobble::test
