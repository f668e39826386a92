#pragma once
// Matrix4::Solve split in two: the elimination of the matrix, done once, and
// its replay on a right-hand side, done per point. Gaussian elimination with
// partial pivoting touches the matrix the same way whatever the right-hand
// side is, so the row order, the reciprocal pivots and the multipliers are
// kept, and Solve repeats on b exactly the double operations that
// SolveLinearSystem applies to it: the same bits, without the elimination or
// any allocation per point.
//
// The elimination swaps rows as it goes; every value of b then meets the
// same multipliers in the same order whether it is moved step by step or
// put in its final row at once, so Solve puts b in the final row order first.

#include "math/Matrix4.h"

namespace wobble {

class LuFactors4 {
public:
    // Eliminates `m`; false (and no factors) when Matrix4::Solve would fail
    // on it for every right-hand side: a pivot below 2^-46, or not a number.
    bool Factor(const Matrix4& m);

    // Matrix4::Solve's answer for b, bit for bit; only after Factor succeeded.
    void Solve(const float b[4], float x[4]) const {
        double c[4] = {b[row_[0]], b[row_[1]], b[row_[2]], b[row_[3]]};
        // Forward: step i scales row i and takes it from the rows below.
        c[0] *= inversePivot_[0];
        c[1] = c[1] - lower_[0] * c[0];
        c[2] = c[2] - lower_[1] * c[0];
        c[3] = c[3] - lower_[2] * c[0];
        c[1] *= inversePivot_[1];
        c[2] = c[2] - lower_[3] * c[1];
        c[3] = c[3] - lower_[4] * c[1];
        c[2] *= inversePivot_[2];
        c[3] = c[3] - lower_[5] * c[2];
        c[3] *= inversePivot_[3];
        // Back substitution; each dot product starts from 0.0 and adds in
        // index order, as StridedDot does (which matters for the sign of a zero).
        const double x3 = c[3] - 0.0;
        double dot = 0.0;
        dot += upper_[5] * x3;
        const double x2 = c[2] - dot;
        dot = 0.0;
        dot += upper_[3] * x2;
        dot += upper_[4] * x3;
        const double x1 = c[1] - dot;
        dot = 0.0;
        dot += upper_[0] * x1;
        dot += upper_[1] * x2;
        dot += upper_[2] * x3;
        const double x0 = c[0] - dot;
        x[0] = static_cast<float>(x0);
        x[1] = static_cast<float>(x1);
        x[2] = static_cast<float>(x2);
        x[3] = static_cast<float>(x3);
    }

private:
    int row_[4] = {0, 1, 2, 3};    // final row k holds b[row_[k]]
    double inversePivot_[4] = {};  // 1 / pivot of step i
    // Below the diagonal, column by column: (1,0) (2,0) (3,0) (2,1) (3,1) (3,2),
    // the multiplier of row r at step i in the final row order.
    double lower_[6] = {};
    // Above the diagonal, row by row: (0,1) (0,2) (0,3) (1,2) (1,3) (2,3).
    double upper_[6] = {};
};

}  // namespace wobble
