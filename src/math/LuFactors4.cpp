#include "math/LuFactors4.h"

#include <cmath>
#include <utility>

namespace wobble {

namespace {

// SolveLinearSystem's limit: pivots below 2^-46 count as zero.
constexpr double kMinPivot = 1.4210854715202004e-14;

}  // namespace

bool LuFactors4::Factor(const Matrix4& m) {
    // The elimination of SolveLinearSystem's square case, step for step. Its
    // row swaps move whole rows, so a row's multipliers of earlier steps
    // (left below the diagonal) travel with it to its final place.
    double a[4][4];
    int row[4] = {0, 1, 2, 3};
    double inversePivot[4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            a[r][c] = m(r, c);
    for (int i = 0; i < 4; ++i) {
        double best = 0.0;
        int pivot = -1;
        for (int r = i; r < 4; ++r) {
            const double magnitude = std::fabs(a[r][i]);
            if (magnitude > best) {  // strictly greater: the lowest row wins a tie
                best = magnitude;
                pivot = r;
            }
        }
        if (best < kMinPivot)
            return false;
        if (pivot != i) {
            std::swap(a[pivot], a[i]);
            std::swap(row[pivot], row[i]);
        }
        const double f = 1.0 / a[i][i];
        inversePivot[i] = f;
        for (int j = i + 1; j < 4; ++j)
            a[i][j] *= f;
        for (int r = i + 1; r < 4; ++r) {
            const double factor = a[r][i];
            for (int j = i + 1; j < 4; ++j)
                a[r][j] = a[r][j] - factor * a[i][j];
        }
    }
    for (int k = 0; k < 4; ++k) {
        row_[k] = row[k];
        inversePivot_[k] = inversePivot[k];
    }
    const int lowerAt[6][2] = {{1, 0}, {2, 0}, {3, 0}, {2, 1}, {3, 1}, {3, 2}};
    const int upperAt[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    for (int k = 0; k < 6; ++k) {
        lower_[k] = a[lowerAt[k][0]][lowerAt[k][1]];
        upper_[k] = a[upperAt[k][0]][upperAt[k][1]];
    }
    return true;
}

}  // namespace wobble
