// Building the grid and the wave step.

#include "water/WaterSurface.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "math/Saturate.h"

namespace wobble {

namespace {

// Cells along one axis of the displacement window, before clipping to the grid.
// A negative half-width (a negative radius) gives an empty window, not a
// negative count.
int64_t WindowSpan(int halfWidth) {
    return std::max<int64_t>(2 * int64_t{halfWidth} + 1, 0);
}

// v + k * (((((hL - damping * v) + hR) + hD) + hU) - 4 * h), every term in double
// and summed in exactly this order; only the result is rounded to float.
inline float WaveVelocity(float v, float h, float hL, float hR, float hD, float hU, double k,
                          double damp) {
    const double bracket =
        ((((static_cast<double>(hL) - damp * static_cast<double>(v)) + static_cast<double>(hR)) +
          static_cast<double>(hD)) +
         static_cast<double>(hU)) -
        4.0 * static_cast<double>(h);
    return static_cast<float>(static_cast<double>(v) + k * bracket);
}

}  // namespace

Status WaterSurface::Init(int cellsX, int cellsZ, float spacingX, float spacingZ, float radius) {
    // Whatever happens below, the arrays of an earlier grid go now; assigning
    // fresh vectors (rather than resizing) returns their memory.
    positions = std::vector<SbVec3f>();
    normals = std::vector<SbVec3f>();
    velocities = std::vector<float>();
    heightScratch_ = std::vector<float>();
    rimCells = std::vector<int>();
    this->cellsX = 0;
    this->cellsZ = 0;
    this->spacingX = 0.0f;
    this->spacingZ = 0.0f;
    this->radius = 0.0f;
    halfWidthX = 0;
    halfWidthZ = 0;
    rimCapacity = 0;

    // The displacement divides by the spacing truncated to a whole number, so a
    // spacing below 1 would divide by zero; flat indices are 32-bit ints, so the
    // grid must number its cells in an int. NaN fails every comparison and is
    // caught by the negated tests.
    if (cellsX < 1 || cellsZ < 1) {
        return MakeInputError("water", 0,
                              "a grid of %d x %d cells is refused: both counts must be 1 or more",
                              cellsX, cellsZ);
    }
    if (int64_t{cellsX} * cellsZ > INT_MAX) {
        return MakeInputError("water", 0, "a grid of %d x %d cells is refused: more than %d cells",
                              cellsX, cellsZ, INT_MAX);
    }
    if (!(spacingX >= 1.0f) || !(spacingZ >= 1.0f) || !std::isfinite(spacingX) ||
        !std::isfinite(spacingZ)) {
        return MakeInputError("water", 0,
                              "spacings %g x %g are refused: both must be finite and 1 or more",
                              static_cast<double>(spacingX), static_cast<double>(spacingZ));
    }

    this->cellsX = cellsX;
    this->cellsZ = cellsZ;
    this->spacingX = spacingX;
    this->spacingZ = spacingZ;

    const size_t cellCount = static_cast<size_t>(cellsX) * static_cast<size_t>(cellsZ);
    positions = std::vector<SbVec3f>(cellCount);
    normals = std::vector<SbVec3f>(cellCount);
    velocities = std::vector<float>(cellCount, 0.0f);
    heightScratch_ = std::vector<float>(cellCount);
    size_t k = 0;
    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsZ; ++j, ++k) {
            positions[k].setValue(static_cast<float>(i) * spacingX, -1.0f,
                                  static_cast<float>(j) * spacingZ);
            normals[k].setValue(0.0f, 1.0f, 0.0f);
        }
    }

    // Rounds a non-negative radius to the nearest whole number of cells, halves up.
    this->radius = radius;
    halfWidthX = TruncToIntSaturated(static_cast<double>(radius / spacingX) + 0.5);
    halfWidthZ = TruncToIntSaturated(static_cast<double>(radius / spacingZ) + 0.5);

    // The list holds every cell of one window, and a window clipped to the grid
    // never holds more cells than the grid: an absurd radius costs no more memory
    // than the grid itself. Each span is clipped before the product, which then
    // fits in 64 bits.
    const int64_t total = static_cast<int64_t>(cellCount);
    const int64_t window =
        std::min(WindowSpan(halfWidthX), total) * std::min(WindowSpan(halfWidthZ), total);
    rimCapacity = static_cast<int>(std::min(window, total));
    rimCells = std::vector<int>(static_cast<size_t>(rimCapacity));
    return Done{};
}

void WaterSurface::Step(float dt) {
    if (cellsX < 1 || cellsZ < 1)
        return;
    const int cz = cellsZ;
    const size_t cellCount = static_cast<size_t>(cellsX) * cz;
    SbVec3f* const pos = positions.data();
    float* const vel = velocities.data();
    SbVec3f* const nrm = normals.data();

    // The heights are gathered into one contiguous array first: the passes
    // then run over plain float rows, which the compiler turns into vector
    // code, instead of reading every third float of the vertices.
    float* const heights = heightScratch_.data();
    for (size_t c = 0; c < cellCount; ++c)
        heights[c] = pos[c][1];

    // 1. Velocities from the old heights. The bracket is summed in double in the
    // written order; only the new velocity is rounded to float. Rows wrap by
    // choosing the neighbour rows; the first and last cell of a row wrap outside
    // the inner loop, so the hot loop has no index arithmetic beyond j +- 1.
    const double k = (static_cast<double>(dt) * static_cast<double>(waveFactor)) /
                     (static_cast<double>(spacingX) * static_cast<double>(spacingZ));
    const double damp = static_cast<double>(damping);
    const int last = cz - 1;
    for (int i = 0; i < cellsX; ++i) {
        const float* __restrict h = heights + static_cast<size_t>(i) * cz;
        const float* __restrict hL =
            heights + static_cast<size_t>(i == 0 ? cellsX - 1 : i - 1) * cz;
        const float* __restrict hR =
            heights + static_cast<size_t>(i + 1 == cellsX ? 0 : i + 1) * cz;
        float* __restrict v = vel + static_cast<size_t>(i) * cz;
        // j = 0 wraps to the last column; with one column every neighbour
        // along z is the cell itself.
        v[0] = WaveVelocity(v[0], h[0], hL[0], hR[0], h[last], h[cz > 1 ? 1 : 0], k, damp);
        for (int j = 1; j < last; ++j) {
            v[j] = WaveVelocity(v[j], h[j], hL[j], hR[j], h[j - 1], h[j + 1], k, damp);
        }
        if (last > 0) {
            v[last] =
                WaveVelocity(v[last], h[last], hL[last], hR[last], h[last - 1], h[0], k, damp);
        }
    }

    // 2. Heights, in float: h + (dt * v).
    for (size_t c = 0; c < cellCount; ++c) {
        heights[c] = heights[c] + dt * vel[c];
        pos[c][1] = heights[c];
    }

    // 3. Normals from the new heights: forward differences to the periodic
    // neighbour, not negated and not normalised (the fixed drawing state
    // normalises them). The divisions stay divisions: a multiplication by
    // the reciprocal would round differently. The slopes are computed a block
    // at a time into plain arrays, where they vectorise, and then interleaved
    // into the normals.
    const float sx = spacingX;
    const float sz = spacingZ;
    constexpr int kBlock = 32;
    float slopeX[kBlock];
    float slopeZ[kBlock];
    for (int i = 0; i < cellsX; ++i) {
        const float* __restrict h = heights + static_cast<size_t>(i) * cz;
        const float* __restrict hR =
            heights + static_cast<size_t>(i + 1 == cellsX ? 0 : i + 1) * cz;
        SbVec3f* __restrict n = nrm + static_cast<size_t>(i) * cz;
        for (int j0 = 0; j0 < last; j0 += kBlock) {
            const int m = std::min(kBlock, last - j0);
            for (int t = 0; t < m; ++t) {
                slopeX[t] = (hR[j0 + t] - h[j0 + t]) / sx;
                slopeZ[t] = (h[j0 + t + 1] - h[j0 + t]) / sz;
            }
            for (int t = 0; t < m; ++t)
                n[j0 + t].setValue(slopeX[t], 1.0f, slopeZ[t]);
        }
        n[last].setValue((hR[last] - h[last]) / sx, 1.0f, (h[0] - h[last]) / sz);
    }
}

}  // namespace wobble
