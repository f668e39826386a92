// The surface goes to GL as client vertex arrays: three corners per triangle
// (SurfaceMesh::cornerPositions) and the face normals (flatNormals), lit with
// flat shading, refreshed by the deformation. Flat shading lights a triangle
// with its last corner's normal; every corner having the face normal, as
// when each triangle went to GL with glNormal and three glVertex calls, gives
// the same lit colour at each, so the pixels are the same, without a call
// per vertex and with a third of the normals.

#include "render/SurfaceDraw.h"

#include <GL/gl.h>

#include <algorithm>

#include "mesh/SurfaceMesh.h"

namespace wobble {

namespace {

// Triangles drawn in one call while the rest are still being refreshed.
constexpr int kDrawPiece = 32768;

}  // namespace

void DrawSurfaceMesh(const SurfaceMesh& mesh, const std::atomic<int>* refreshed) {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, mesh.diffuse);
    glColor3f(0.0f, 0.0f, 0.0f);
    glEnable(GL_LIGHTING);
    const size_t corners = static_cast<size_t>(mesh.triangleCount) * 3;
    if (corners > 0 && mesh.cornerPositions.size() == corners &&
        mesh.flatNormals.size() == corners + 2) {
        // Unlit, the colour would be white: every triangle is sent with it.
        glColor3f(1.0f, 1.0f, 1.0f);
        GLint shading = GL_SMOOTH;
        glGetIntegerv(GL_SHADE_MODEL, &shading);
        glShadeModel(GL_FLAT);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(SbVec3f), mesh.cornerPositions.data());
        // One float apart: corner 3t+2 reads triangle t's normal.
        glNormalPointer(GL_FLOAT, sizeof(float), mesh.flatNormals.data());
        if (refreshed == nullptr) {
            glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners));
        } else {
            // Piece by piece, each once its triangles are refreshed: in the
            // same order, the same primitives as one call.
            for (int begin = 0; begin < mesh.triangleCount; begin += kDrawPiece) {
                const int end = std::min(mesh.triangleCount, begin + kDrawPiece);
                for (int done = refreshed->load(std::memory_order_acquire); done < end;
                     done = refreshed->load(std::memory_order_acquire)) {
                    refreshed->wait(done, std::memory_order_acquire);
                }
                glDrawArrays(GL_TRIANGLES, 3 * begin, 3 * (end - begin));
            }
        }
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glShadeModel(static_cast<GLenum>(shading));
    }
    glDisable(GL_LIGHTING);
}

}  // namespace wobble
