#pragma once
// A straight transcription of the OBJ loading algorithm onto the C library's
// own fscanf, fgets and sscanf on a FILE stream: the yardstick the fast
// loader is compared with, value for value and line for line. It makes the
// same choices where the algorithm leaves them open (checked indices, missing
// corners repeating the first, the disagreement checks) and prints the same
// lines; error lines name the line computed from the stream's offset.

#include <string>

#include "mesh/SurfaceMesh.h"

namespace wobble::test {

bool ReferenceLoadMesh(const std::string& fileName, SurfaceMesh& mesh);

}  // namespace wobble::test
