// The body's debugging view: the edges of every tetra in red and the eight
// control particles as yellow points, drawn unlit, from the particles'
// positions as client arrays.

#include "render/DebugDraw.h"

#include <GL/gl.h>

#include <vector>

#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Particle positions as GL reads them: every particle's position, a
// particle's size apart.
void PointAtParticlePositions(const std::vector<Particle>& particles) {
    glVertexPointer(3, GL_FLOAT, sizeof(Particle), particles.data()->position.getValue());
}

}  // namespace

void DrawTetraWireframe(const SoftBody& body) {
    glColor3f(1.0f, 0.0f, 0.0f);
    // Each tetra's edges as pairs of particle indices; edges shared by several
    // tetras are drawn once for each of them. The buffer keeps its size, so
    // only the first frame of the largest body allocates.
    static std::vector<GLuint> edges;
    edges.clear();
    for (int t = 0; t < body.tetraCount; ++t) {
        const int* corner = body.tetras[t].cornerIndices;
        for (const auto& edge : Tetra::kEdges) {
            edges.push_back(static_cast<GLuint>(corner[edge[0]]));
            edges.push_back(static_cast<GLuint>(corner[edge[1]]));
        }
    }
    if (!edges.empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        PointAtParticlePositions(body.particles);
        glDrawElements(GL_LINES, static_cast<GLsizei>(edges.size()), GL_UNSIGNED_INT,
                       edges.data());
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    DrawControlPoints(body);
}

void DrawControlPoints(const SoftBody& body) {
    glPointSize(8.0f);
    glColor3f(1.0f, 1.0f, 0.0f);
    SbVec3f points[8];
    static_assert(sizeof body.controller.controlParticles == sizeof points / sizeof(SbVec3f) *
                                                                 sizeof(Particle*));
    GLsizei count = 0;
    for (const Particle* p : body.controller.controlParticles) {
        if (p != nullptr)
            points[count++] = p->position;
    }
    if (count > 0) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(SbVec3f), points);
        glDrawArrays(GL_POINTS, 0, count);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
}

}  // namespace wobble
