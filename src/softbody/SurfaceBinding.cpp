// The surface rides on the tetras: each vertex keeps its barycentric weights
// w in one tetra, found once, and is placed at M w every frame, where M holds
// the tetra's current corners in its columns (see math/Matrix4.h):
//
//          p3                    p = w0 p0 + w1 p1 + w2 p2 + w3 p3,
//         /|\                    w0 + w1 + w2 + w3 = 1
//        / | \      * p
//      p0--|--p2                 A vertex outside its tetra has a negative
//        \ | /                   weight and follows the tetra's motion
//         \|/                    extrapolated.
//          p1

#include <vector>

#include "math/VecMath.h"
#include "softbody/CentroidTree.h"
#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Weight 1 on the corner nearest to p (the lowest corner on ties): a flat
// tetra has no barycentric weights, and following its nearest corner keeps
// the vertex with the body.
void NearestCornerWeights(const Tetra& tetra, const SbVec3f& p, float w[4]) {
    int nearest = 0;
    float nearestDistance = VecLength(p - tetra.corners[0]->position);
    for (int c = 1; c < 4; ++c) {
        const float d = VecLength(p - tetra.corners[c]->position);
        if (d < nearestDistance) {
            nearest = c;
            nearestDistance = d;
        }
    }
    for (int c = 0; c < 4; ++c)
        w[c] = c == nearest ? 1.0f : 0.0f;
}

}  // namespace

void SoftBody::BindSurface() {
    for (int t = 0; t < tetraCount; ++t)
        tetras[t].UpdateMatrix();
    SurfaceMesh& mesh = surface;
    if (mesh.vertexCount <= 0)
        return;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        mesh.vertexTetra[v] = -1;
        mesh.barycentric[v].setValue(0.0f, 0.0f, 0.0f, 0.0f);
    }
    if (tetraCount <= 0)
        return;

    std::vector<SbVec3f> centroids(static_cast<size_t>(tetraCount));
    for (int t = 0; t < tetraCount; ++t) {
        const int* corner = tetras[t].cornerIndices;
        centroids[t] = 0.25f * (((particles[corner[0]].position + particles[corner[1]].position) +
                                 particles[corner[2]].position) +
                                particles[corner[3]].position);
    }
    CentroidTree tree;
    tree.Build(centroids);

    // Neighbouring vertices of a surface mostly follow each other in the
    // file, so each search is seeded with the previous vertex's tetra.
    int previous = -1;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const SbVec3f& p = mesh.vertices[v];
        // The plain search starts from a best distance of 1e38: a vertex no
        // centroid comes nearer than that to (one that is not finite) stays unbound.
        const int t = tree.Nearest(p, 1e38f, previous);
        if (t < 0)
            continue;
        previous = t;
        mesh.vertexTetra[v] = t;
        const float b[4] = {p[0], p[1], p[2], 1.0f};
        float w[4];
        if (!tetras[t].matrix.Solve(w, b))
            NearestCornerWeights(tetras[t], p, w);
        mesh.barycentric[v].setValue(w);
    }
}

void SoftBody::DeformSurface() {
    SurfaceMesh& mesh = surface;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const int t = mesh.vertexTetra[v];
        if (t < 0 || t >= tetraCount)
            continue;
        float r[4];
        tetras[t].matrix.Multiply(mesh.barycentric[v].getValue(), r);
        mesh.vertices[v].setValue(r[0], r[1], r[2]);
    }
    mesh.ComputeFaceNormals();
}

}  // namespace wobble
