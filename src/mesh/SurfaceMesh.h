#pragma once
// The triangle skin of the body, read from an OBJ file. It has no physics of
// its own: every vertex is bound to one tetra by barycentric weights and
// carried along with it (SoftBody::BindSurface, SoftBody::DeformSurface) and
// drawn by render/SurfaceDraw.h.

#include <Inventor/SbVec2f.h>
#include <Inventor/SbVec3f.h>
#include <Inventor/SbVec4f.h>

#include <string>
#include <vector>

#include "text/InputError.h"

namespace wobble {

class SurfaceMesh {
public:
    // Triangles use four index slots each: three 0-based indices and -1.
    static constexpr int kSlotsPerTriangle = 4;

    // Reads an OBJ file in two passes: the first counts vertices, normals,
    // texture coordinates and fan triangles, the second stores them into
    // arrays sized once from those counts. Prints its progress on standard
    // output. On any failure the mesh reads as empty (every count 0 and every
    // array empty, so nothing visits it) and the error says why; an error
    // without a message is one the loader's own console lines have told.
    //
    // Tokens and numbers follow the rules of scanf on a stream exactly ("%s"
    // tokens of at most 255 characters, "%f", "%d" with glibc's conversions),
    // without calling scanf: see text/ScanStream.h.
    //
    // Indices are checked: a negative one counts back from the last element of
    // its kind read so far, and an index of 0 or one outside its kind's range
    // fails the load with a line on standard error naming the file and line.
    // The file is folder/fileName; the console lines and messages name `fileName`.
    Status LoadMesh(const std::string& fileName, const std::string& folder = "");

    // faceNormals[t] = normalised (p1 - p0) x (p2 - p0) of triangle t, so that
    // corners counter-clockwise seen from outside give an outward normal.
    void ComputeFaceNormals();

    // Sizes cornerPositions and flatNormals to the triangles; allocates only
    // when their sizes are not those already.
    void PrepareCorners();
    // The entries of triangles [begin, end) in cornerPositions and
    // flatNormals, the face normals computed as ComputeFaceNormals does
    // (faceNormals itself is left as it is: nothing reads it while drawing,
    // and writing it would double the normals' memory traffic).
    // Triangles are independent: ranges may be refreshed in any order, or at
    // once. PrepareCorners first.
    void RefreshTriangles(int begin, int end);

    // The state a failed load leaves: counts 0 (not the -1 of a mesh that
    // has never counted), arrays released.
    void Clear();

    std::vector<SbVec3f> vertices;   // vertexCount positions; rewritten by each deformation
    std::vector<SbVec3f> normals;    // the file's normals; kept, not used after loading
    std::vector<SbVec2f> texCoords;  // the file's texture coordinates; not used after loading
    // 4 slots per triangle: three 0-based vertex indices, -1.
    std::vector<int> vertexIndices;
    // Same layout, packed from the start with the triangles of the faces that
    // carry normal (texture-coordinate) indices; slots no face wrote hold -1.
    // Empty when the file has no normals (texture coordinates): no face can
    // carry their indices then.
    std::vector<int> normalIndices;
    std::vector<int> texCoordIndices;
    std::vector<SbVec3f> faceNormals;  // one unit normal per triangle, of the surface as loaded
    // What the surface is drawn from as client arrays, filled by
    // RefreshTriangles (each deformation), empty before:
    //  - cornerPositions: three entries per triangle, 3t, 3t+1 and 3t+2 for
    //    its corners in order;
    //  - flatNormals: triangle t's face normal at floats 2+3t .. 4+3t, after
    //    two floats of 0. Read with a stride of one float, corner 3t+2 meets
    //    it: the last corner, whose lighting flat shading gives the whole
    //    triangle. The other corners meet neighbouring floats, which flat
    //    shading ignores; lit with the face normal at every corner instead,
    //    the triangle would look the same.
    std::vector<SbVec3f> cornerPositions;
    std::vector<float> flatNormals;
    // Per vertex: index of the tetra that carries it, -1 while unbound (an
    // unbound vertex is drawn where it was loaded).
    std::vector<int> vertexTetra;
    std::vector<SbVec4f> barycentric;  // per vertex: its weights for that tetra's corners
    int vertexCount = -1;              // -1 until a load has counted
    int texCoordCount = 0;
    int normalCount = -1;  // -1 until a load has counted
    int triangleCount = 0;
    float diffuse[4] = {0.45f, 0.25f, 0.0f, 1.0f};  // material diffuse colour, RGBA
};

}  // namespace wobble
