#include "mesh/SurfaceMesh.h"

#include "math/VecMath.h"

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
    std::vector<int>().swap(vertexTetra);
    std::vector<SbVec4f>().swap(barycentric);
    vertexCount = 0;
    texCoordCount = 0;
    normalCount = 0;
    triangleCount = 0;
}

void SurfaceMesh::ComputeFaceNormals() {
    const int* slot = vertexIndices.data();
    for (int t = 0; t < triangleCount; ++t, slot += kSlotsPerTriangle) {
        const SbVec3f& p0 = vertices[slot[0]];
        const SbVec3f e1 = vertices[slot[1]] - p0;
        const SbVec3f e2 = vertices[slot[2]] - p0;
        SbVec3f n = VecCross(e1, e2);
        VecNormalize(n);
        faceNormals[t] = n;
    }
}

}  // namespace wobble
