#pragma once
// The three files of a scene folder, in the forms the program reads:
//
//   config.txt     version 0.1 / tetfile body.tet / objfile surface.obj /
//                  points a b c d e f g h / stiffness K / mass M
//   body.tet       "tet version 1.0", the four count lines, MATERIALS,
//                  VERTICES (x y z a line), TETRAS (four corners and a 0), TRIANGLES
//   surface.obj    v lines and triangular f lines with plain 1-based indices
//
// The program's readers take each line in pieces of 255 characters and read
// OBJ tokens loosely (a word starting with v that is not v, vn or vt fails the
// load), so everything written here is short, plain and positive.

#include <Inventor/SbVec3f.h>

#include <array>
#include <string>
#include <vector>

#include "text/InputError.h"

namespace wobble::builder {

class SceneWriter {
public:
    static constexpr const char* kConfigName = "config.txt";
    static constexpr const char* kTetName = "body.tet";
    static constexpr const char* kObjName = "surface.obj";

    static std::string TetText(const std::vector<SbVec3f>& vertices,
                               const std::vector<std::array<int, 4>>& tetras);
    static std::string ObjText(const std::vector<SbVec3f>& vertices,
                               const std::vector<std::array<int, 3>>& triangles);
    static std::string ConfigText(const int controls[8], const std::string& stiffness,
                                  const std::string& mass);

    // Writes `text` to `path` through a temporary file beside it, renamed into
    // place only once complete, so that a failure never leaves half a file.
    // The error names the file that could not be written and why.
    static Status WriteFile(const std::string& path, const std::string& text);
};

}  // namespace wobble::builder
