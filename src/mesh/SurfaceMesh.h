#pragma once
// The triangle skin of the body, read from an OBJ file. It has no physics of
// its own: every vertex is bound to one tetra by barycentric weights and
// carried along with it.

#include <Inventor/SbVec2f.h>
#include <Inventor/SbVec3f.h>
#include <Inventor/SbVec4f.h>

#include <vector>

namespace wobble {

class SurfaceMesh {
public:
    // Triangles use four index slots each: three 0-based indices and -1.
    static constexpr int kSlotsPerTriangle = 4;

    std::vector<SbVec3f> vertices;        // vertexCount positions; rewritten by each deformation
    std::vector<SbVec3f> normals;         // the file's normals; kept, not used after loading
    std::vector<SbVec2f> texCoords;       // room for the texture coordinates
    std::vector<int> vertexIndices;       // 4 per triangle: three vertex indices, -1
    std::vector<int> normalIndices;       // same layout, for faces that carry normal indices
    std::vector<int> texCoordIndices;     // same layout, for faces that carry texture indices
    std::vector<SbVec3f> faceNormals;     // one unit normal per triangle
    std::vector<int> vertexTetra;         // per vertex: index of the tetra that carries it
    std::vector<SbVec4f> barycentric;     // per vertex: its weights for that tetra's corners
    int vertexCount = -1;                 // -1 until a load has counted
    int texCoordCount = 0;
    int normalCount = -1;                 // -1 until a load has counted
    int triangleCount = 0;
    float diffuse[4] = {0.45f, 0.25f, 0.0f, 1.0f};  // material diffuse colour, RGBA
};

}  // namespace wobble
