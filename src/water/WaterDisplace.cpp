// The body pushing the water aside: a sphere of `radius` around the centre
// presses the columns under it down to its underside and stops them, and the
// water it removes, with the momentum it takes from the stopped columns, is
// spread evenly over the window cells outside its footprint.
//
//        window (halfWidth 2), seen from above; x = footprint, o = rim
//
//            o  o  x  o  o
//            o  x  x  x  o        pushed: h = underside, v = 0
//            x  x  C  x  x        rim:    h += removed h / rim count
//            o  x  x  x  o                v += removed v / rim count
//            o  o  x  o  o
//
// The window is clipped at the edges of the grid and never wraps around.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "math/VecMath.h"
#include "water/WaterSurface.h"

namespace wobble {

namespace {

// Far enough outside any grid that a window of any int half-width around it
// misses every cell, yet small enough that the window bounds fit in 64 bits.
constexpr double kCellIndexLimit = 17179869184.0;  // 2^34

// trunc(x / trunc(spacing)) as a cell index, clamped to +-2^34. The clamp
// keeps the conversion defined for a huge centre; inside the clamp the value is
// exactly what an int conversion gives.
int64_t CentreCell(float x, float spacing) {
    const float q = std::trunc(x / std::trunc(spacing));
    return static_cast<int64_t>(
        std::clamp(static_cast<double>(q), -kCellIndexLimit, kCellIndexLimit));
}

}  // namespace

void WaterSurface::Displace(const SbVec3f& centre) {
    if (cellsX < 1 || cellsZ < 1)
        return;
    // A body whose simulation has blown up has no cell to stand over.
    if (!VecIsFinite(centre))
        return;

    const float cx = centre[0];
    const float cy = centre[1];
    const float cz = centre[2];
    const float r2 = radius * radius;

    // Spacings are at least 1 (Init refuses others), so the truncated spacing
    // is a whole number of at least 1 and the quotient is finite.
    const int64_t ci = CentreCell(cx, spacingX);
    const int64_t cj = CentreCell(cz, spacingZ);
    const int64_t iBegin = std::max<int64_t>(ci - halfWidthX, 0);
    const int64_t iEnd = std::min<int64_t>(ci + halfWidthX + 1, cellsX);
    const int64_t jBegin = std::max<int64_t>(cj - halfWidthZ, 0);
    const int64_t jEnd = std::min<int64_t>(cj + halfWidthZ + 1, cellsZ);
    if (iBegin >= iEnd || jBegin >= jEnd)
        return;

    // Water under the body keeps rebounding upwards: the velocity taken from
    // a stopped column goes to the rim with its height. Dropping it would take
    // upward momentum out of the water every frame, and the wave step would
    // turn that loss into a falling level until the body no longer touches it.
    double sum = 0.0;
    double velocitySum = 0.0;
    int count = 0;
    for (int i = static_cast<int>(iBegin); i < static_cast<int>(iEnd); ++i) {
        const float a = cx - static_cast<float>(i) * spacingX;
        const int rowStart = i * cellsZ;
        for (int j = static_cast<int>(jBegin); j < static_cast<int>(jEnd); ++j) {
            const float b = cz - static_cast<float>(j) * spacingZ;
            const int cell = rowStart + j;
            if (a * a + b * b <= r2) {
                // The difference stays in float, the root is taken in double.
                const double underside =
                    static_cast<double>(cy) - std::sqrt(static_cast<double>((r2 - a * a) - b * b));
                float& h = positions[cell][1];
                const float excess = static_cast<float>(static_cast<double>(h) - underside);
                // A NaN excess (the root of a difference rounded just below
                // zero) is neither >= 0 nor < 0: the cell is left alone.
                if (excess >= 0.0f) {
                    h = static_cast<float>(underside);
                    velocitySum += static_cast<double>(velocities[cell]);
                    velocities[cell] = 0.0f;
                    sum += static_cast<double>(excess);
                }
            } else {
                // Outside the footprint, or unordered because r2 is NaN.
                rimCells[count++] = cell;
            }
        }
    }
    if (count == 0)
        return;  // every window cell was in the footprint: the water is lost
    const float share = static_cast<float>(sum / count);
    for (int n = 0; n < count; ++n) {
        float& h = positions[rimCells[n]][1];
        h = h + share;
    }
    const float velocityShare = static_cast<float>(velocitySum / count);
    for (int n = 0; n < count; ++n) {
        float& v = velocities[rimCells[n]];
        v = v + velocityShare;
    }
}

}  // namespace wobble
