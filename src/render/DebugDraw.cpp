// The body's debugging view: the edges of every tetra in red and the eight
// control particles as yellow points, drawn unlit.

#include "render/DebugDraw.h"

#include <GL/gl.h>

#include "softbody/SoftBody.h"

namespace wobble {

void DrawTetraWireframe(const SoftBody& body) {
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    // Edges shared by several tetras are drawn once for each of them.
    for (int t = 0; t < body.tetraCount; ++t) {
        const Tetra& tetra = body.tetras[t];
        for (const auto& edge : Tetra::kEdges) {
            glVertex3fv(tetra.corners[edge[0]]->position.getValue());
            glVertex3fv(tetra.corners[edge[1]]->position.getValue());
        }
    }
    glEnd();
    DrawControlPoints(body);
}

void DrawControlPoints(const SoftBody& body) {
    glPointSize(8.0f);
    glBegin(GL_POINTS);
    glColor3f(1.0f, 1.0f, 0.0f);
    for (const Particle* p : body.controller.controlParticles) {
        if (p != nullptr)
            glVertex3fv(p->position.getValue());
    }
    glEnd();
}

}  // namespace wobble
