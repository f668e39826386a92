#pragma once

#include "mesh/Matrix4.h"
#include "softbody/Particle.h"

namespace wobble {

// One tetrahedron of the body. Corner order is the order of its line in the
// tetrahedral model file; `matrix` holds corner c in column c as (x, y, z, 1)
// (see mesh/Matrix4.h), so solving it for a point yields barycentric weights.
//
//            3
//           /|\            edges, in spring-generation order:
//          / | \           (0,1) (0,2) (0,3) (1,2) (1,3) (2,3)
//         /  |  \.
//        0---|---2
//         \  |  /
//          \ | /
//            1
class Tetra {
public:
    // Refreshes `matrix` from the current corner positions.
    void UpdateMatrix();

    Matrix4 matrix;
    Particle* corners[4] = {nullptr, nullptr, nullptr, nullptr};
    int cornerIndices[4] = {-1, -1, -1, -1};
};

}  // namespace wobble
