#pragma once
// A surface model as the scene builder reads it from an OBJ file. The reader is
// deliberately forgiving, because the files come from modellers, scanners and
// model sites: every corner form (v, v/t, v/t/n, v//n), negative (relative)
// indices, polygons of any size, forward references, line continuations and
// statements it has no use for (normals, texture coordinates, groups,
// materials, lines, points, free-form data) are all accepted. It refuses only
// what it cannot make sense of, with one line on stderr naming the file and line.

#include <Inventor/SbVec3d.h>

#include <array>
#include <string>
#include <vector>

#include "text/InputError.h"

namespace wobble::builder {

class ObjModel {
public:
    // Reads `path`. On failure the model is empty and the error names the
    // file, the line and the problem.
    Status Load(const std::string& path);

    // Parses `text` as the contents of a file called `name` (which only
    // appears in messages).
    Status Parse(const std::string& name, const std::string& text);

    std::vector<SbVec3d> vertices;              // every v line, in file order
    std::vector<std::array<int, 3>> triangles;  // 0-based; polygons cut into fans
    int faceCount = 0;                          // f lines with at least three corners
    int polygonCount = 0;                       // of those, faces with more than three
    int shortFaceCount = 0;                     // f lines with fewer than three corners, dropped
    int collapsedTriangleCount = 0;             // fan triangles naming a vertex twice, dropped
    int lineCount = 0;                          // physical lines read

private:
    void Clear();
};

}  // namespace wobble::builder
