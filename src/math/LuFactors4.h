#pragma once
// Matrix4::Solve split in two: the elimination of the matrix, done once, and
// its replay on a right-hand side, done per point. Gaussian elimination with
// partial pivoting touches the matrix the same way whatever the right-hand
// side is, so the pivot rows, the reciprocal pivots and the multipliers are
// kept, and Solve repeats on b exactly the double operations that
// SolveLinearSystem applies to it: the same bits, without the elimination or
// any allocation per point.

#include "math/Matrix4.h"

namespace wobble {

class LuFactors4 {
public:
    // Eliminates `m`; false (and no factors) when Matrix4::Solve would fail
    // on it for every right-hand side: a pivot below 2^-46, or not a number.
    bool Factor(const Matrix4& m);

    // Matrix4::Solve's answer for b, bit for bit; only after Factor succeeded.
    void Solve(const float b[4], float x[4]) const;

private:
    int pivotRow_[4] = {0, 1, 2, 3};  // the row swapped into place i at step i
    double inversePivot_[4] = {};     // 1 / pivot of step i
    double multiplier_[4][4] = {};    // [r][i]: what row r loses of row i's c at step i
    double upper_[4][4] = {};         // [r][j], j > r: the scaled upper triangle
};

}  // namespace wobble
