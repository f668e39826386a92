#pragma once
// Whether a triangle and an axis-aligned box share a point, by the separating
// axis test: the box's three axes, the triangle's normal and the nine cross
// products of box axes with triangle edges. Touching counts as sharing, so a
// continuous surface marks a face-connected run of cells.

#include <Inventor/SbVec3d.h>

namespace wobble::builder {

bool TriangleTouchesBox(const SbVec3d& boxCentre, const SbVec3d& halfSize, const SbVec3d& a,
                        const SbVec3d& b, const SbVec3d& c);

}  // namespace wobble::builder
