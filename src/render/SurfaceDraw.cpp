#include "render/SurfaceDraw.h"

#include <GL/gl.h>

#include "mesh/SurfaceMesh.h"

namespace wobble {

void DrawSurfaceMesh(const SurfaceMesh& mesh) {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, mesh.diffuse);
    glColor3f(0.0f, 0.0f, 0.0f);
    glEnable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    const int* slot = mesh.vertexIndices.data();
    for (int t = 0; t < mesh.triangleCount; ++t, slot += SurfaceMesh::kSlotsPerTriangle) {
        glColor3f(1.0f, 1.0f, 1.0f);
        glNormal3fv(mesh.faceNormals[t].getValue());
        glVertex3fv(mesh.vertices[slot[0]].getValue());
        glVertex3fv(mesh.vertices[slot[1]].getValue());
        glVertex3fv(mesh.vertices[slot[2]].getValue());
    }
    glEnd();
    glDisable(GL_LIGHTING);
}

}  // namespace wobble
