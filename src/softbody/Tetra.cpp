#include "softbody/Tetra.h"

namespace wobble {

void Tetra::UpdateMatrix() {
    for (int c = 0; c < 4; ++c) {
        const SbVec3f& p = corners[c]->position;
        matrix(0, c) = p[0];
        matrix(1, c) = p[1];
        matrix(2, c) = p[2];
        matrix(3, c) = 1.0f;
    }
}

}  // namespace wobble
