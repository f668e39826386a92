#include "mesh/SurfaceMesh.h"

#include "math/ParallelFor.h"
#include "math/VecMath.h"
#include "mesh/LargeArray.h"

namespace wobble {

void SurfaceMesh::Clear() {
    // swap with empty vectors so that the memory really goes back
    std::vector<SbVec3f>().swap(vertices);
    std::vector<SbVec3f>().swap(normals);
    std::vector<SbVec2f>().swap(texCoords);
    std::vector<int>().swap(vertexIndices);
    std::vector<int>().swap(normalIndices);
    std::vector<int>().swap(texCoordIndices);
    std::vector<SbVec3f>().swap(faceNormals);
    std::vector<SbVec3f>().swap(cornerPositions);
    std::vector<SbVec3f>().swap(cornerNormals);
    std::vector<int>().swap(vertexTetra);
    std::vector<SbVec4f>().swap(barycentric);
    vertexCount = 0;
    texCoordCount = 0;
    normalCount = 0;
    triangleCount = 0;
}

namespace {

// Triangles in one piece of work; fewer are not worth waking other threads for.
constexpr int kTrianglePiece = 16384;

inline SbVec3f FaceNormal(const SbVec3f& p0, const SbVec3f& p1, const SbVec3f& p2) {
    const SbVec3f e1 = p1 - p0;
    const SbVec3f e2 = p2 - p0;
    SbVec3f n = VecCross(e1, e2);
    VecNormalize(n);
    return n;
}

}  // namespace

void SurfaceMesh::ComputeFaceNormals() {
    // Each triangle's normal on its own, shared out over the cores.
    ParallelFor(triangleCount, kTrianglePiece, [this](int begin, int end) {
        const int* slot = vertexIndices.data() + static_cast<size_t>(begin) * kSlotsPerTriangle;
        for (int t = begin; t < end; ++t, slot += kSlotsPerTriangle)
            faceNormals[t] = FaceNormal(vertices[slot[0]], vertices[slot[1]], vertices[slot[2]]);
    });
}

void SurfaceMesh::PrepareCorners() {
    const size_t corners = static_cast<size_t>(triangleCount) * 3;
    // Resized, not filled: every entry is written before it is drawn, and
    // pages not yet written cost nothing.
    if (cornerPositions.size() != corners)
        ResizeLarge(cornerPositions, corners);
    if (cornerNormals.size() != corners)
        ResizeLarge(cornerNormals, corners);
}

void SurfaceMesh::RefreshTriangles(int begin, int end) {
    const int* slot = vertexIndices.data() + static_cast<size_t>(begin) * kSlotsPerTriangle;
    SbVec3f* position = cornerPositions.data() + static_cast<size_t>(begin) * 3;
    SbVec3f* normal = cornerNormals.data() + static_cast<size_t>(begin) * 3;
    for (int t = begin; t < end; ++t, slot += kSlotsPerTriangle, position += 3, normal += 3) {
        const SbVec3f p0 = vertices[slot[0]];
        const SbVec3f p1 = vertices[slot[1]];
        const SbVec3f p2 = vertices[slot[2]];
        const SbVec3f n = FaceNormal(p0, p1, p2);
        faceNormals[t] = n;
        position[0] = p0;
        position[1] = p1;
        position[2] = p2;
        normal[0] = n;
        normal[1] = n;
        normal[2] = n;
    }
}

}  // namespace wobble
