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

#include <algorithm>
#include <vector>

#include "math/LuFactors4.h"
#include "math/ParallelFor.h"
#include "math/VecMath.h"
#include "softbody/CentroidTree.h"
#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Vertices bound in one piece of work: enough to amortise the start of a
// search from a cold seed, few enough to share the work out evenly.
constexpr int kBindPiece = 4096;
// Vertices and triangles carried along in one piece of work; a surface of
// fewer is not worth waking the other threads for.
constexpr int kDeformPiece = 16384;

// The vertex at weights w: rows 0 to 2 of Matrix4::Multiply, which is all of
// it that a position uses, with the same double sums in the same order.
inline void PlaceVertex(const Matrix4& m, const float w[4], SbVec3f& out) {
    float r[3];
    for (int row = 0; row < 3; ++row) {
        const float* a = &m.m[4 * row];
        double sum = 0.0;
        sum += static_cast<double>(a[0]) * w[0];
        sum += static_cast<double>(a[1]) * w[1];
        sum += static_cast<double>(a[2]) * w[2];
        sum += static_cast<double>(a[3]) * w[3];
        r[row] = static_cast<float>(sum);
    }
    out.setValue(r[0], r[1], r[2]);
}

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
    if (tetraCount <= 0) {
        for (int v = 0; v < mesh.vertexCount; ++v) {
            mesh.vertexTetra[v] = -1;
            mesh.barycentric[v].setValue(0.0f, 0.0f, 0.0f, 0.0f);
        }
        return;
    }

    std::vector<SbVec3f> centroids(static_cast<size_t>(tetraCount));
    // Each tetra's elimination, done once for all the vertices it carries.
    std::vector<LuFactors4> factors(static_cast<size_t>(tetraCount));
    std::vector<unsigned char> solvable(static_cast<size_t>(tetraCount));
    for (int t = 0; t < tetraCount; ++t) {
        const int* corner = tetras[t].cornerIndices;
        centroids[t] = 0.25f * (((particles[corner[0]].position + particles[corner[1]].position) +
                                 particles[corner[2]].position) +
                                particles[corner[3]].position);
        solvable[t] = factors[t].Factor(tetras[t].matrix);
    }
    CentroidTree tree;
    tree.Build(centroids);

    // Every vertex is bound on its own, so the vertices are shared out in
    // contiguous pieces among the threads. Neighbouring vertices of a surface
    // mostly follow each other in the file, so each search is seeded with the
    // previous vertex's tetra; the seed changes the time, never the answer.
    ParallelFor(mesh.vertexCount, kBindPiece, [&](int begin, int end) {
        int previous = -1;
        for (int v = begin; v < end; ++v) {
            const SbVec3f& p = mesh.vertices[v];
            // The plain search starts from a best distance of 1e38: a vertex no
            // centroid comes nearer than that to (one that is not finite) stays unbound.
            const int t = tree.Nearest(p, 1e38f, previous);
            if (t < 0) {
                mesh.vertexTetra[v] = -1;
                mesh.barycentric[v].setValue(0.0f, 0.0f, 0.0f, 0.0f);
                continue;
            }
            previous = t;
            mesh.vertexTetra[v] = t;
            const float b[4] = {p[0], p[1], p[2], 1.0f};
            float w[4];
            if (solvable[t]) {
                factors[t].Solve(b, w);
            } else {
                NearestCornerWeights(tetras[t], p, w);
            }
            mesh.barycentric[v].setValue(w);
        }
    });
}

void SoftBody::DeformSurface() {
    // Every vertex, then every triangle, is written by one thread from what
    // no thread writes in that loop: the result is the same for any number
    // of threads.
    DeformSurfaceVertices();
    SurfaceMesh& mesh = surface;
    mesh.PrepareCorners();
    ParallelFor(mesh.triangleCount, kDeformPiece,
                [&](int begin, int end) { mesh.RefreshTriangles(begin, end); });
}

void SoftBody::DeformSurfaceVertices() {
    SurfaceMesh& mesh = surface;
    ParallelFor(mesh.vertexCount, kDeformPiece, [&](int begin, int end) {
        for (int v = begin; v < end; ++v) {
            const int t = mesh.vertexTetra[v];
            if (t < 0 || t >= tetraCount)
                continue;
            PlaceVertex(tetras[t].matrix, mesh.barycentric[v].getValue(), mesh.vertices[v]);
        }
    });
}

}  // namespace wobble
