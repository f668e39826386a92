// Drawing the water: lit triangles from the cells' own position and normal
// arrays, in one glDrawElements for the whole grid.
//
//     (i, j) *-------* (i+1, j)         triangle 1: (i, j), (i+1, j), (i, j+1)
//            |  1  / |                  triangle 2: (i+1, j+1), (i, j+1), (i+1, j)
//            |   /   |
//            | /  2  |                  seen from above: x to the right,
//   (i, j+1) *-------* (i+1, j+1)       z down the page
//
// The drawing does not wrap: the last row and column are only far corners.
// Seen from above both triangles run clockwise, so the front faces down; with
// one-sided lighting the front material lights both sides alike.

#include "render/WaterDraw.h"

#include <GL/gl.h>

#include <vector>

#include "water/WaterSurface.h"

namespace wobble {

const std::vector<unsigned>& WaterGridTriangles(int cellsX, int cellsZ) {
    static_assert(sizeof(GLuint) == sizeof(unsigned));
    static std::vector<unsigned> indices;
    static int builtX = 0, builtZ = 0;
    if (cellsX != builtX || cellsZ != builtZ) {
        indices.clear();
        for (int i = 0; i + 1 < cellsX; ++i) {
            const GLuint row = static_cast<GLuint>(i) * static_cast<GLuint>(cellsZ);
            const GLuint nextRow = row + static_cast<GLuint>(cellsZ);
            for (int j = 0; j + 1 < cellsZ; ++j) {
                const GLuint c00 = row + j;          // (i, j)
                const GLuint c10 = nextRow + j;      // (i+1, j)
                const GLuint c01 = row + j + 1;      // (i, j+1)
                const GLuint c11 = nextRow + j + 1;  // (i+1, j+1)
                indices.insert(indices.end(), {c00, c10, c01, c11, c01, c10});
            }
        }
        builtX = cellsX;
        builtZ = cellsZ;
    }
    return indices;
}

void DrawWater(const WaterSurface& water) {
    glEnable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, water.colour);
    const std::vector<unsigned>& triangles = WaterGridTriangles(water.cellsX, water.cellsZ);
    if (!triangles.empty()) {
        // Every vertex is lit by its own cell's normal.
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(SbVec3f), water.positions.data());
        glNormalPointer(GL_FLOAT, sizeof(SbVec3f), water.normals.data());
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size()), GL_UNSIGNED_INT,
                       triangles.data());
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glDisable(GL_LIGHTING);
}

}  // namespace wobble
