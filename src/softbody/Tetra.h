#pragma once

#include "math/Matrix4.h"
#include "softbody/Particle.h"

namespace wobble {

// One tetrahedron of the body. Corner order is the order of its line in the
// tetrahedral model file; `matrix` holds corner c in column c as (x, y, z, 1)
// (see math/Matrix4.h), so solving it for a point yields barycentric weights.
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
    // The six corner pairs, in the order their springs are generated.
    static constexpr int kEdges[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

    // Refreshes `matrix` from the current corner positions. Inline: the step
    // calls it for every tetra, every frame.
    void UpdateMatrix() {
        for (int c = 0; c < 4; ++c) {
            const SbVec3f& p = corners[c]->position;
            matrix(0, c) = p[0];
            matrix(1, c) = p[1];
            matrix(2, c) = p[2];
            matrix(3, c) = 1.0f;
        }
    }

    Matrix4 matrix;
    Particle* corners[4] = {nullptr, nullptr, nullptr, nullptr};
    int cornerIndices[4] = {-1, -1, -1, -1};
};

}  // namespace wobble
