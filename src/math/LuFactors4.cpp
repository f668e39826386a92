#include "math/LuFactors4.h"

#include <cmath>
#include <utility>

namespace wobble {

namespace {

// SolveLinearSystem's limit: pivots below 2^-46 count as zero.
constexpr double kMinPivot = 1.4210854715202004e-14;

}  // namespace

bool LuFactors4::Factor(const Matrix4& m) {
    // The elimination of SolveLinearSystem's square case, step for step.
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            a[r][c] = m(r, c);
    for (int i = 0; i < 4; ++i) {
        double best = 0.0;
        int pivot = -1;
        for (int r = i; r < 4; ++r) {
            const double magnitude = std::fabs(a[r][i]);
            if (magnitude > best) {
                best = magnitude;
                pivot = r;
            }
        }
        if (best < kMinPivot)
            return false;
        pivotRow_[i] = pivot;
        if (pivot != i)
            std::swap(a[pivot], a[i]);
        const double f = 1.0 / a[i][i];
        inversePivot_[i] = f;
        for (int j = i + 1; j < 4; ++j)
            a[i][j] *= f;
        for (int r = i + 1; r < 4; ++r) {
            const double factor = a[r][i];
            multiplier_[r][i] = factor;
            for (int j = i + 1; j < 4; ++j)
                a[r][j] = a[r][j] - factor * a[i][j];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int j = r + 1; j < 4; ++j)
            upper_[r][j] = a[r][j];
    return true;
}

void LuFactors4::Solve(const float b[4], float x[4]) const {
    double c[4] = {b[0], b[1], b[2], b[3]};
    for (int i = 0; i < 4; ++i) {
        std::swap(c[pivotRow_[i]], c[i]);
        c[i] *= inversePivot_[i];
        for (int r = i + 1; r < 4; ++r)
            c[r] = c[r] - multiplier_[r][i] * c[i];
    }
    // Back substitution; each dot product starts from 0.0 and adds in index
    // order, as StridedDot does (which matters for the sign of a zero).
    double solution[4];
    for (int r = 3; r >= 0; --r) {
        double dot = 0.0;
        for (int j = r + 1; j < 4; ++j)
            dot += upper_[r][j] * solution[j];
        solution[r] = c[r] - dot;
    }
    for (int k = 0; k < 4; ++k)
        x[k] = static_cast<float>(solution[k]);
}

}  // namespace wobble
