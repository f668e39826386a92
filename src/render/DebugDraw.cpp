// The body's debugging view: the edges of every tetra in red and the eight
// control particles as yellow points, drawn unlit.

#include <GL/gl.h>

#include "softbody/SoftBody.h"

namespace wobble {

void SoftBody::DrawTetraWireframe() const {
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    // Edges shared by several tetras are drawn once for each of them.
    static constexpr int kEdges[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    for (int t = 0; t < tetraCount; ++t) {
        const Tetra& tetra = tetras[t];
        for (const auto& edge : kEdges) {
            glVertex3fv(tetra.corners[edge[0]]->position.getValue());
            glVertex3fv(tetra.corners[edge[1]]->position.getValue());
        }
    }
    glEnd();
    DrawControlPoints();
}

void SoftBody::DrawControlPoints() const {
    glPointSize(8.0f);
    glBegin(GL_POINTS);
    glColor3f(1.0f, 1.0f, 0.0f);
    for (const Particle* p : controller.controlParticles) {
        if (p != nullptr)
            glVertex3fv(p->position.getValue());
    }
    glEnd();
}

}  // namespace wobble
