#pragma once
// A model file as the scene builder needs it: one surface of triangles. The
// file is read by the Open Asset Import Library, so it may be any format that
// library reads (STL, PLY, glTF and GLB, FBX, 3DS, Collada, OBJ, Blender, X,
// LWO, ...). What the surface is made of:
//
// - every mesh the file's node tree places, each instance with its node's
//   transform (the product down from the root) applied, all merged into one
//   surface; a mirroring transform has its faces turned back, so that every
//   part keeps the winding its author gave it;
// - faces of any size, cut into triangles (concave polygons too); points and
//   lines are left out and counted;
// - vertices at the same position are one vertex, so seams that a format or
//   an exporter duplicated (per corner, per normal, per texture coordinate)
//   are closed again; the vertices come in the order the faces first use them.
//
// It refuses what it cannot make sense of, with one line naming the file: a
// missing, empty or unreadable file, a face naming a vertex its mesh does not
// have, a coordinate that is not finite, more triangles than kMaxTriangles.
// The import has a time budget that grows with the file
// (mesh/ModelTimeBudget.h); past it the process ends with a line naming the
// file (builder/ImportWatchdog.h), since the library cannot be stopped.

#include <Inventor/SbVec3d.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "text/InputError.h"

struct aiScene;

namespace wobble::builder {

class ModelFile {
public:
    // More than this, every instance counted, is refused: far beyond what the
    // program can carry, and a file of a few kilobytes could otherwise ask
    // for gigabytes by placing one mesh many times.
    static constexpr long long kMaxTriangles = 1LL << 25;

    // The formats named in the tools' usage texts.
    static const char* FormatsText();

    // Reads the model file at `path`. On failure the model is empty and the
    // error names the file and the problem.
    Status Load(const std::string& path);

    // Reads `bytes` as the contents of a file called `name` (which only
    // appears in messages) in the format of the file extension `formatHint`.
    Status Parse(const std::string& name, const std::string& bytes,
                 const std::string& formatHint = "obj");

    std::vector<SbVec3d> vertices;              // distinct positions the triangles use
    std::vector<std::array<int, 3>> triangles;  // 0-based into `vertices`
    int faceCount = 0;               // faces with at least three corners, every instance counted
    int polygonCount = 0;            // of those, faces with more than three
    int shortFaceCount = 0;          // points and lines, left out
    int collapsedTriangleCount = 0;  // triangles naming one position twice, left out
    int meshCount = 0;               // mesh instances placed
    long long meshVertexCount = 0;   // vertices the placed meshes hold, used or not

private:
    void Clear();
    template <typename Read>
    Status Import(const std::string& name, uintmax_t bytes, Read&& read);
    // The faces of every mesh instance as the file has them.
    Status CountFaces(const aiScene& scene, const std::string& name);
    // The triangles of every mesh instance, placed and merged.
    Status TakeTriangles(const aiScene& scene, const std::string& name);
};

}  // namespace wobble::builder
