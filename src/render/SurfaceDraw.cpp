// The surface goes to GL as client vertex arrays: three corners per triangle,
// each with the triangle's face normal (SurfaceMesh::cornerPositions and
// cornerNormals, refreshed by the deformation). The same vertices in the same
// order with the same normals and state as one glBegin/glEnd of them give
// the same pixels, without a call per vertex.

#include "render/SurfaceDraw.h"

#include <GL/gl.h>

#include "mesh/SurfaceMesh.h"

namespace wobble {

void DrawSurfaceMesh(const SurfaceMesh& mesh) {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, mesh.diffuse);
    glColor3f(0.0f, 0.0f, 0.0f);
    glEnable(GL_LIGHTING);
    const size_t corners = static_cast<size_t>(mesh.triangleCount) * 3;
    if (corners > 0 && mesh.cornerPositions.size() == corners &&
        mesh.cornerNormals.size() == corners) {
        // Unlit, the colour would be white: every triangle is sent with it.
        glColor3f(1.0f, 1.0f, 1.0f);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(SbVec3f), mesh.cornerPositions.data());
        glNormalPointer(GL_FLOAT, sizeof(SbVec3f), mesh.cornerNormals.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners));
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glDisable(GL_LIGHTING);
}

}  // namespace wobble
