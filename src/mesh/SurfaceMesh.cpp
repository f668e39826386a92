#include "mesh/SurfaceMesh.h"

#include <cmath>

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
    std::vector<float>().swap(flatNormals);
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

// normalised (p1 - p0) x (p2 - p0): VecCross and VecNormalize of the
// differences, written out on floats. The arithmetic and its order are
// theirs, so the bits are too; plain floats stay in registers, where the
// vector class's temporaries went through memory and back.
inline void FaceNormal(const float* p0, const float* p1, const float* p2, float n[3]) {
    const float e1x = p1[0] - p0[0], e1y = p1[1] - p0[1], e1z = p1[2] - p0[2];
    const float e2x = p2[0] - p0[0], e2y = p2[1] - p0[1], e2z = p2[2] - p0[2];
    float x = e1y * e2z - e1z * e2y;
    float y = e1z * e2x - e1x * e2z;
    float z = e1x * e2y - e1y * e2x;
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f) {
        const float inverse = 1.0f / length;
        x *= inverse;
        y *= inverse;
        z *= inverse;
    }
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

}  // namespace

void SurfaceMesh::ComputeFaceNormals() {
    // Each triangle's normal on its own, shared out over the cores.
    ParallelFor(triangleCount, kTrianglePiece, [this](int begin, int end) {
        const int* slot = vertexIndices.data() + static_cast<size_t>(begin) * kSlotsPerTriangle;
        for (int t = begin; t < end; ++t, slot += kSlotsPerTriangle) {
            FaceNormal(vertices[slot[0]].getValue(), vertices[slot[1]].getValue(),
                       vertices[slot[2]].getValue(), &faceNormals[t][0]);
        }
    });
}

void SurfaceMesh::PrepareCorners() {
    const size_t corners = static_cast<size_t>(triangleCount) * 3;
    // Resized, not filled: every entry is written before it is drawn, and
    // pages not yet written cost nothing.
    if (cornerPositions.size() != corners)
        ResizeLarge(cornerPositions, corners);
    if (flatNormals.size() != corners + 2) {
        ResizeLarge(flatNormals, corners + 2);
        flatNormals[0] = flatNormals[1] = 0.0f;
    }
}

void SurfaceMesh::RefreshTriangles(int begin, int end) {
    if (begin >= end)
        return;
    const int* slot = vertexIndices.data() + static_cast<size_t>(begin) * kSlotsPerTriangle;
    float* position = &cornerPositions[static_cast<size_t>(begin) * 3][0];
    float* normal = flatNormals.data() + 2 + static_cast<size_t>(begin) * 3;
    for (int t = begin; t < end; ++t, slot += kSlotsPerTriangle, position += 9, normal += 3) {
        const float* p0 = vertices[slot[0]].getValue();
        const float* p1 = vertices[slot[1]].getValue();
        const float* p2 = vertices[slot[2]].getValue();
        FaceNormal(p0, p1, p2, normal);
        for (int a = 0; a < 3; ++a) {
            position[a] = p0[a];
            position[3 + a] = p1[a];
            position[6 + a] = p2[a];
        }
    }
}

}  // namespace wobble
