#pragma once
// A scene folder written for the benchmarks: a body just under the spring
// limit (a box of 12 x 10 x 10 cubes, 9452 springs) in the middle of the
// water, dressed in an ellipsoid of exactly 1 000 000 triangles (500 002
// vertices, ring after ring as a surface file lists them). Nothing of it is
// checked in: it is written into a scratch folder on first use.

#include <string>

namespace wobble::bench {

struct GeneratedScene {
    std::string folder;     // holds config.txt, body.tet, surface.obj
    std::string objPath;    // folder/surface.obj
    long long objBytes = 0;
};

// Writes the scene once per process; later calls return the same folder.
const GeneratedScene& MillionTriangleScene();

}  // namespace wobble::bench
