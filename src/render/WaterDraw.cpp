// Drawing the water: lit triangles in immediate mode, one glBegin/glEnd for
// the whole grid.
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

#include "water/WaterSurface.h"

namespace wobble {

void DrawWater(const WaterSurface& water) {
    glEnable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    glColor3f(0.0f, 0.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, water.colour);
    const SbVec3f* pos = water.positions.data();
    const SbVec3f* nrm = water.normals.data();
    // Every vertex is lit by its own cell's normal.
    const auto corner = [pos, nrm](int c) {
        glNormal3fv(nrm[c].getValue());
        glVertex3fv(pos[c].getValue());
    };
    for (int i = 0; i + 1 < water.cellsX; ++i) {
        const int row = i * water.cellsZ;
        const int nextRow = row + water.cellsZ;
        for (int j = 0; j + 1 < water.cellsZ; ++j) {
            const int c00 = row + j;          // (i, j)
            const int c10 = nextRow + j;      // (i+1, j)
            const int c01 = row + j + 1;      // (i, j+1)
            const int c11 = nextRow + j + 1;  // (i+1, j+1)
            corner(c00);
            corner(c10);
            corner(c01);

            corner(c11);
            corner(c01);
            corner(c10);
        }
    }
    glEnd();
    glDisable(GL_LIGHTING);
}

}  // namespace wobble
