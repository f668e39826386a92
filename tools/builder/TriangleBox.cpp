#include "builder/TriangleBox.h"

#include <algorithm>
#include <cmath>

namespace wobble::builder {

namespace {

// True when the projections of the triangle and of the box on `axis` do not overlap.
bool Separates(const SbVec3d& axis, const SbVec3d& v0, const SbVec3d& v1, const SbVec3d& v2,
               const SbVec3d& h) {
    const double p0 = axis.dot(v0);
    const double p1 = axis.dot(v1);
    const double p2 = axis.dot(v2);
    const double r =
        h[0] * std::fabs(axis[0]) + h[1] * std::fabs(axis[1]) + h[2] * std::fabs(axis[2]);
    return std::min({p0, p1, p2}) > r || std::max({p0, p1, p2}) < -r;
}

}  // namespace

bool TriangleTouchesBox(const SbVec3d& boxCentre, const SbVec3d& halfSize, const SbVec3d& a,
                        const SbVec3d& b, const SbVec3d& c) {
    // Work with the box at the origin.
    const SbVec3d v0 = a - boxCentre;
    const SbVec3d v1 = b - boxCentre;
    const SbVec3d v2 = c - boxCentre;

    // The box's own axes: compare bounding intervals.
    for (int i = 0; i < 3; ++i) {
        if (std::min({v0[i], v1[i], v2[i]}) > halfSize[i] ||
            std::max({v0[i], v1[i], v2[i]}) < -halfSize[i])
            return false;
    }

    // The triangle's plane.
    const SbVec3d e0 = v1 - v0;
    const SbVec3d e1 = v2 - v1;
    const SbVec3d e2 = v0 - v2;
    const SbVec3d normal = e0.cross(e1);
    const double distance = normal.dot(v0);
    const double reach = halfSize[0] * std::fabs(normal[0]) + halfSize[1] * std::fabs(normal[1]) +
                         halfSize[2] * std::fabs(normal[2]);
    if (std::fabs(distance) > reach)
        return false;

    // Edge against box axis: the axes a flat triangle and a box can be parted along.
    const SbVec3d edges[3] = {e0, e1, e2};
    const SbVec3d boxAxes[3] = {SbVec3d(1, 0, 0), SbVec3d(0, 1, 0), SbVec3d(0, 0, 1)};
    for (const SbVec3d& edge : edges) {
        for (const SbVec3d& boxAxis : boxAxes) {
            if (Separates(boxAxis.cross(edge), v0, v1, v2, halfSize))
                return false;
        }
    }
    return true;
}

}  // namespace wobble::builder
